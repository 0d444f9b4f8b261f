<?xml version="1.0" encoding="UTF-8"?>
<!-- Reelkeep: several movies at once, one row each with their key facts. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:include href="Common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" doctype-system="about:legacy-compat"/>

  <xsl:template match="/">
    <xsl:variable name="movies" select="Reelkeep/Movie"/>
    <html lang="en">
      <xsl:call-template name="page-head">
        <xsl:with-param name="title" select="concat(count($movies), ' movies')"/>
      </xsl:call-template>
      <body class="multiple">
        <main>
          <h1><xsl:value-of select="count($movies)"/> movies selected</h1>
          <div class="summary">
            <div>
              <strong><xsl:value-of select="count($movies[bWatched = 1])"/></strong>
              <span>watched</span>
            </div>
            <div>
              <strong><xsl:call-template name="length"><xsl:with-param name="minutes" select="sum($movies/nLength)"/></xsl:call-template></strong>
              <span>running time</span>
            </div>
            <div>
              <strong><xsl:call-template name="size"><xsl:with-param name="bytes" select="sum($movies/pnSizes/Item)"/></xsl:call-template></strong>
              <span>in <xsl:value-of select="count($movies/pszFilenames/Item)"/> files</span>
            </div>
            <xsl:if test="$movies[szLender != '']">
              <div>
                <strong><xsl:value-of select="count($movies[szLender != ''])"/></strong>
                <span>lent out</span>
              </div>
            </xsl:if>
          </div>
          <!-- Rows come in blocks of 100, each its own fixed-layout table: the engine lays out
               only the blocks in view, so ten thousand movies open as fast as a hundred. -->
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
            <xsl:for-each select="$movies[position() mod 100 = 1]">
              <div class="catalog-block">
                <table>
                  <xsl:call-template name="columns"/>
                  <tbody>
                    <xsl:apply-templates select=". | following-sibling::Movie[position() &lt; 100]"/>
                  </tbody>
                </table>
              </div>
            </xsl:for-each>
          </div>
        </main>
      </body>
    </html>
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
