<?xml version="1.0" encoding="UTF-8"?>
<!-- Reelkeep: one movie, everything the catalog knows about it. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:include href="Common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" doctype-system="about:legacy-compat"/>

  <xsl:template match="/">
    <xsl:variable name="movie" select="Reelkeep/Movie[1]"/>
    <html lang="en">
      <xsl:call-template name="page-head">
        <xsl:with-param name="title" select="$movie/szTitle"/>
      </xsl:call-template>
      <body class="view">
        <xsl:apply-templates select="$movie"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="Movie">
    <article class="movie">
      <div class="poster">
        <xsl:choose>
          <xsl:when test="pszPictures/Item">
            <img alt="">
              <xsl:attribute name="src">
                <xsl:call-template name="picture-url">
                  <xsl:with-param name="movie" select="."/>
                </xsl:call-template>
              </xsl:attribute>
            </img>
          </xsl:when>
          <xsl:otherwise>
            <div class="poster-blank"><xsl:value-of select="substring(normalize-space(szTitle), 1, 1)"/></div>
          </xsl:otherwise>
        </xsl:choose>
      </div>

      <div class="details">
        <header>
          <h1>
            <xsl:value-of select="szTitle"/>
            <xsl:if test="normalize-space(szTitle) = ''">Untitled</xsl:if>
          </h1>
          <xsl:if test="szTranslated != '' and szTranslated != szTitle">
            <p class="translated"><xsl:value-of select="szTranslated"/></p>
          </xsl:if>
          <p class="facts">
            <xsl:if test="nYear != 0"><span><xsl:value-of select="nYear"/></span></xsl:if>
            <xsl:if test="nLength &gt; 0">
              <span><xsl:call-template name="length"><xsl:with-param name="minutes" select="nLength"/></xsl:call-template></span>
            </xsl:if>
            <xsl:if test="pszCountries/Item">
              <span><xsl:call-template name="join"><xsl:with-param name="items" select="pszCountries/Item"/></xsl:call-template></span>
            </xsl:if>
            <span class="catalog-number">No.&#160;<xsl:value-of select="nIndex"/></span>
          </p>
          <div class="badges">
            <xsl:if test="fRating &gt; 0">
              <span class="rating">
                <xsl:call-template name="stars"><xsl:with-param name="rating" select="fRating"/></xsl:call-template>
                <strong><xsl:value-of select="format-number(fRating, '0.0')"/></strong>
                <small>/10</small>
              </span>
            </xsl:if>
            <xsl:choose>
              <xsl:when test="bWatched = 1"><span class="badge watched">&#10003; Watched</span></xsl:when>
              <xsl:otherwise><span class="badge unwatched">Not watched yet</span></xsl:otherwise>
            </xsl:choose>
            <xsl:if test="szLender != ''">
              <span class="badge lent">Lent to <xsl:value-of select="szLender"/></span>
            </xsl:if>
          </div>
          <xsl:if test="pszCategories/Item">
            <ul class="chips">
              <xsl:for-each select="pszCategories/Item"><li><xsl:value-of select="."/></li></xsl:for-each>
            </ul>
          </xsl:if>
        </header>

        <xsl:if test="szPlot != ''">
          <section>
            <h2>Plot</h2>
            <p class="plot"><xsl:value-of select="szPlot"/></p>
          </section>
        </xsl:if>

        <xsl:if test="pszDirectors/Item or pszProducers/Item or pszActors/Item">
          <section>
            <h2>People</h2>
            <dl class="pairs">
              <xsl:call-template name="pair-list">
                <xsl:with-param name="label" select="'Directed by'"/>
                <xsl:with-param name="items" select="pszDirectors/Item"/>
              </xsl:call-template>
              <xsl:call-template name="pair-list">
                <xsl:with-param name="label" select="'Produced by'"/>
                <xsl:with-param name="items" select="pszProducers/Item"/>
              </xsl:call-template>
              <xsl:if test="pszActors/Item">
                <dt>Starring</dt>
                <dd><ul class="cast"><xsl:for-each select="pszActors/Item"><li><xsl:value-of select="."/></li></xsl:for-each></ul></dd>
              </xsl:if>
            </dl>
          </section>
        </xsl:if>

        <xsl:if test="pszLanguages/Item or pszSubtitles/Item or szRelease != '' or szURL != ''">
          <section>
            <h2>Release</h2>
            <dl class="pairs">
              <xsl:call-template name="pair-list">
                <xsl:with-param name="label" select="'Languages'"/>
                <xsl:with-param name="items" select="pszLanguages/Item"/>
              </xsl:call-template>
              <xsl:call-template name="pair-list">
                <xsl:with-param name="label" select="'Subtitles'"/>
                <xsl:with-param name="items" select="pszSubtitles/Item"/>
              </xsl:call-template>
              <xsl:call-template name="pair-text">
                <xsl:with-param name="label" select="'Release'"/>
                <xsl:with-param name="text" select="szRelease"/>
              </xsl:call-template>
              <xsl:if test="szURL != ''">
                <dt>Web page</dt>
                <dd><a href="{szURL}"><xsl:value-of select="szURL"/></a></dd>
              </xsl:if>
            </dl>
          </section>
        </xsl:if>

        <xsl:if test="pszComments/Item">
          <section>
            <h2>Comments</h2>
            <ul class="comments">
              <xsl:for-each select="pszComments/Item"><li><xsl:value-of select="."/></li></xsl:for-each>
            </ul>
          </section>
        </xsl:if>

        <section>
          <h2>In the collection</h2>
          <dl class="pairs">
            <xsl:call-template name="pair-list">
              <xsl:with-param name="label" select="'Media'"/>
              <xsl:with-param name="items" select="pszMedia/Item"/>
            </xsl:call-template>
            <xsl:call-template name="pair-text">
              <xsl:with-param name="label" select="'Location'"/>
              <xsl:with-param name="text" select="szLocation"/>
            </xsl:call-template>
            <xsl:if test="szVideo != '' or nWidth &gt; 0">
              <dt>Video</dt>
              <dd>
                <xsl:value-of select="szVideo"/>
                <xsl:if test="nWidth &gt; 0 and nHeight &gt; 0">
                  <span class="muted"><xsl:if test="szVideo != ''"> · </xsl:if><xsl:value-of select="nWidth"/>&#215;<xsl:value-of select="nHeight"/></span>
                </xsl:if>
                <xsl:if test="fFPS &gt; 0">
                  <span class="muted"> · <xsl:call-template name="decimal"><xsl:with-param name="value" select="fFPS"/></xsl:call-template>&#160;fps</span>
                </xsl:if>
              </dd>
            </xsl:if>
            <xsl:call-template name="pair-text">
              <xsl:with-param name="label" select="'Audio'"/>
              <xsl:with-param name="text" select="szAudio"/>
            </xsl:call-template>
          </dl>
          <xsl:call-template name="files-table"><xsl:with-param name="movie" select="."/></xsl:call-template>
        </section>
      </div>
    </article>
  </xsl:template>

  <xsl:template name="pair-list">
    <xsl:param name="label"/>
    <xsl:param name="items"/>
    <xsl:if test="$items">
      <dt><xsl:value-of select="$label"/></dt>
      <dd><xsl:call-template name="join"><xsl:with-param name="items" select="$items"/></xsl:call-template></dd>
    </xsl:if>
  </xsl:template>

  <xsl:template name="pair-text">
    <xsl:param name="label"/>
    <xsl:param name="text"/>
    <xsl:if test="string($text) != ''">
      <dt><xsl:value-of select="$label"/></dt>
      <dd><xsl:value-of select="$text"/></dd>
    </xsl:if>
  </xsl:template>

</xsl:stylesheet>
