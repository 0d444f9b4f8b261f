<?xml version="1.0" encoding="UTF-8"?>
<!-- Reelkeep: several movies at once, one row each with their key facts. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:include href="Common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" doctype-system="about:legacy-compat"/>

  <!-- How many rows the page lists; 0 lists every row. The window passes a first block so
       that the page of a large selection comes at once; the rest follow the link, whose
       address the window takes as a request for the page of every row. An export passes
       nothing and lists them all. -->
  <xsl:param name="row-limit" select="0"/>
  <!-- Figures of the whole selection. The window hands them over, counted while it made the
       document, which is quicker than walking every movie again; without them the template
       counts them itself. -->
  <xsl:param name="watched-count" select="count(/Reelkeep/Movie[bWatched = 1])"/>
  <xsl:param name="total-minutes" select="sum(/Reelkeep/Movie/nLength)"/>
  <xsl:param name="total-bytes" select="sum(/Reelkeep/Movie/pnSizes/Item)"/>
  <xsl:param name="file-count" select="count(/Reelkeep/Movie/pszFilenames/Item)"/>
  <xsl:param name="lent-count" select="count(/Reelkeep/Movie[szLender != ''])"/>
  <!-- Rows per table: the engine lays out only the tables in view. -->
  <xsl:variable name="block" select="100"/>

  <xsl:template match="/">
    <xsl:variable name="movies" select="Reelkeep/Movie"/>
    <xsl:variable name="total" select="count($movies)"/>
    <!-- A number, not a result tree fragment: it is compared with every position. -->
    <xsl:variable name="listed"
        select="$total - ($total - floor($row-limit)) * number($row-limit &gt; 0 and $row-limit &lt; $total)"/>
    <html lang="en">
      <xsl:call-template name="page-head">
        <xsl:with-param name="title" select="concat($total, ' movies')"/>
      </xsl:call-template>
      <body class="multiple">
        <main>
          <h1><xsl:value-of select="$total"/> movies selected</h1>
          <div class="summary">
            <div>
              <strong><xsl:value-of select="$watched-count"/></strong>
              <span>watched</span>
            </div>
            <div>
              <strong><xsl:call-template name="length"><xsl:with-param name="minutes" select="$total-minutes"/></xsl:call-template></strong>
              <span>running time</span>
            </div>
            <div>
              <strong><xsl:call-template name="size"><xsl:with-param name="bytes" select="$total-bytes"/></xsl:call-template></strong>
              <span>in <xsl:value-of select="$file-count"/> files</span>
            </div>
            <xsl:if test="$lent-count &gt; 0">
              <div>
                <strong><xsl:value-of select="$lent-count"/></strong>
                <span>lent out</span>
              </div>
            </xsl:if>
          </div>
          <div class="catalog">
            <table>
              <xsl:call-template name="columns"/>
              <thead>
                <tr>
                  <th class="number">No.</th>
                  <th>Title</th>
                  <th class="number">Year</th>
                  <th class="number hide-narrow">Length</th>
                  <th>Rating</th>
                  <th class="people">Directed by</th>
                  <th class="hide-narrow">Categories</th>
                  <th class="number hide-narrow">Size</th>
                  <th title="Watched">Seen</th>
                </tr>
              </thead>
            </table>
            <xsl:for-each select="$movies[position() mod $block = 1 and position() &lt;= $listed]">
              <xsl:variable name="first" select="(position() - 1) * $block + 1"/>
              <div class="catalog-block">
                <table>
                  <xsl:call-template name="columns"/>
                  <tbody>
                    <xsl:apply-templates select="." mode="run">
                      <xsl:with-param name="rows" select="$block"/>
                      <xsl:with-param name="left" select="$listed - $first + 1"/>
                    </xsl:apply-templates>
                  </tbody>
                </table>
              </div>
            </xsl:for-each>
          </div>
          <xsl:if test="$listed &lt; $total">
            <p class="more">
              <xsl:value-of select="$total - $listed"/>
              <xsl:choose>
                <xsl:when test="$total - $listed = 1"> more movie is not listed. </xsl:when>
                <xsl:otherwise> more movies are not listed. </xsl:otherwise>
              </xsl:choose>
              <a id="all-rows" href="rkpage:/all-rows">List all <xsl:value-of select="$total"/> movies</a>
            </p>
          </xsl:if>
        </main>
      </body>
    </html>
  </xsl:template>

  <!-- A row and the ones after it, `rows` in all but no more than are `left` to list: each
       step takes the next sibling alone, so a block costs its own rows, not a walk along the
       rest of the list. -->
  <xsl:template match="Movie" mode="run">
    <xsl:param name="rows"/>
    <xsl:param name="left"/>
    <xsl:apply-templates select="."/>
    <xsl:if test="$rows &gt; 1 and $left &gt; 1">
      <xsl:apply-templates select="following-sibling::Movie[1]" mode="run">
        <xsl:with-param name="rows" select="$rows - 1"/>
        <xsl:with-param name="left" select="$left - 1"/>
      </xsl:apply-templates>
    </xsl:if>
  </xsl:template>

  <xsl:template name="columns">
    <colgroup>
      <col class="c-number"/><col class="c-title"/><col class="c-year"/>
      <col class="c-length hide-narrow"/><col class="c-rating"/><col class="c-people people"/>
      <col class="c-categories hide-narrow"/><col class="c-size hide-narrow"/><col class="c-seen"/>
    </colgroup>
  </xsl:template>

  <xsl:template match="Movie">
    <tr>
      <td class="number muted"><xsl:value-of select="nIndex"/></td>
      <td class="title">
        <strong>
          <xsl:value-of select="szTitle"/>
          <xsl:if test="normalize-space(szTitle) = ''">Untitled</xsl:if>
        </strong>
        <xsl:if test="szTranslated != '' and szTranslated != szTitle">
          <small><xsl:value-of select="szTranslated"/></small>
        </xsl:if>
      </td>
      <td class="number"><xsl:if test="nYear != 0"><xsl:value-of select="nYear"/></xsl:if></td>
      <td class="number hide-narrow">
        <xsl:if test="nLength &gt; 0">
          <xsl:call-template name="length"><xsl:with-param name="minutes" select="nLength"/></xsl:call-template>
        </xsl:if>
      </td>
      <td class="rating-cell">
        <xsl:if test="fRating &gt; 0">
          <xsl:call-template name="stars"><xsl:with-param name="rating" select="fRating"/></xsl:call-template>
          <xsl:text> </xsl:text>
          <span class="muted"><xsl:value-of select="format-number(fRating, '0.0')"/></span>
        </xsl:if>
      </td>
      <td class="people">
        <xsl:call-template name="join"><xsl:with-param name="items" select="pszDirectors/Item"/></xsl:call-template>
      </td>
      <td class="hide-narrow">
        <xsl:call-template name="join"><xsl:with-param name="items" select="pszCategories/Item"/></xsl:call-template>
      </td>
      <td class="number hide-narrow">
        <xsl:if test="pnSizes/Item">
          <xsl:call-template name="size"><xsl:with-param name="bytes" select="sum(pnSizes/Item)"/></xsl:call-template>
        </xsl:if>
      </td>
      <td class="seen"><xsl:if test="bWatched = 1">&#10003;</xsl:if></td>
    </tr>
  </xsl:template>

</xsl:stylesheet>
