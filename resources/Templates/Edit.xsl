<?xml version="1.0" encoding="UTF-8"?>
<!-- Reelkeep: the form that edits one movie. Every input is named after a field of the record;
     lists are comma-separated text. The program stores what the form posts. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:include href="Common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" doctype-system="about:legacy-compat"/>

  <xsl:template match="/">
    <xsl:variable name="movie" select="Reelkeep/Movie[1]"/>
    <html lang="en">
      <xsl:call-template name="page-head">
        <xsl:with-param name="title" select="concat('Edit: ', $movie/szTitle)"/>
      </xsl:call-template>
      <body class="edit">
        <xsl:apply-templates select="$movie"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="Movie">
    <form method="post" action="about:blank" accept-charset="UTF-8" autocomplete="off">
      <div class="edit-head">
        <div>
          <h1>
            <xsl:value-of select="szTitle"/>
            <xsl:if test="normalize-space(szTitle) = ''">Untitled</xsl:if>
          </h1>
          <p>Lists take their entries separated by commas.</p>
        </div>
        <div class="actions">
          <button type="reset">Revert</button>
          <button type="submit" class="primary">Save</button>
        </div>
      </div>

      <fieldset>
        <legend><h2>Title</h2></legend>
        <div class="fields">
          <xsl:call-template name="text"><xsl:with-param name="field" select="szTitle"/><xsl:with-param name="label" select="'Title'"/><xsl:with-param name="wide" select="true()"/></xsl:call-template>
          <xsl:call-template name="text"><xsl:with-param name="field" select="szTranslated"/><xsl:with-param name="label" select="'Translated title'"/><xsl:with-param name="wide" select="true()"/></xsl:call-template>
          <xsl:call-template name="number"><xsl:with-param name="field" select="nYear"/><xsl:with-param name="label" select="'Year'"/></xsl:call-template>
          <xsl:call-template name="number"><xsl:with-param name="field" select="nLength"/><xsl:with-param name="label" select="'Length'"/><xsl:with-param name="hint" select="'minutes'"/></xsl:call-template>
          <xsl:call-template name="decimal-input"><xsl:with-param name="field" select="fRating"/><xsl:with-param name="label" select="'Rating'"/><xsl:with-param name="hint" select="'0 to 10'"/></xsl:call-template>
          <xsl:call-template name="number"><xsl:with-param name="field" select="nIndex"/><xsl:with-param name="label" select="'Catalog number'"/></xsl:call-template>
          <div>
            <label>Seen</label>
            <!-- An unchecked box sends nothing; the hidden 0 before it makes unchecking stick,
                 because the later pair wins. -->
            <input type="hidden" name="bWatched" value="0"/>
            <label class="check">
              <input type="checkbox" name="bWatched" value="1">
                <xsl:if test="bWatched = 1"><xsl:attribute name="checked">checked</xsl:attribute></xsl:if>
              </input>
              Watched
            </label>
          </div>
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszCategories"/><xsl:with-param name="label" select="'Categories'"/><xsl:with-param name="wide" select="true()"/></xsl:call-template>
        </div>
      </fieldset>

      <fieldset>
        <legend><h2>Story and notes</h2></legend>
        <div class="fields">
          <div class="wide">
            <label for="szPlot">Plot</label>
            <textarea id="szPlot" name="szPlot" rows="5"><xsl:value-of select="szPlot"/></textarea>
          </div>
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszComments"/><xsl:with-param name="label" select="'Comments'"/><xsl:with-param name="rows" select="3"/></xsl:call-template>
        </div>
      </fieldset>

      <fieldset>
        <legend><h2>People</h2></legend>
        <div class="fields">
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszDirectors"/><xsl:with-param name="label" select="'Directors'"/><xsl:with-param name="wide" select="true()"/></xsl:call-template>
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszProducers"/><xsl:with-param name="label" select="'Producers'"/><xsl:with-param name="wide" select="true()"/></xsl:call-template>
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszActors"/><xsl:with-param name="label" select="'Actors'"/><xsl:with-param name="rows" select="3"/></xsl:call-template>
        </div>
      </fieldset>

      <fieldset>
        <legend><h2>Release</h2></legend>
        <div class="fields">
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszCountries"/><xsl:with-param name="label" select="'Countries'"/></xsl:call-template>
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszLanguages"/><xsl:with-param name="label" select="'Languages'"/></xsl:call-template>
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszSubtitles"/><xsl:with-param name="label" select="'Subtitles'"/></xsl:call-template>
          <xsl:call-template name="text"><xsl:with-param name="field" select="szRelease"/><xsl:with-param name="label" select="'Release'"/></xsl:call-template>
          <xsl:call-template name="text"><xsl:with-param name="field" select="szURL"/><xsl:with-param name="label" select="'Web page'"/><xsl:with-param name="wide" select="true()"/></xsl:call-template>
        </div>
      </fieldset>

      <fieldset>
        <legend><h2>In the collection</h2></legend>
        <div class="fields">
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszMedia"/><xsl:with-param name="label" select="'Media'"/></xsl:call-template>
          <xsl:call-template name="text"><xsl:with-param name="field" select="szLocation"/><xsl:with-param name="label" select="'Location'"/></xsl:call-template>
          <xsl:call-template name="text"><xsl:with-param name="field" select="szLender"/><xsl:with-param name="label" select="'Lent to'"/></xsl:call-template>
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszFilenames"/><xsl:with-param name="label" select="'Files'"/><xsl:with-param name="wide" select="true()"/></xsl:call-template>
          <xsl:call-template name="list"><xsl:with-param name="field" select="pszPictures"/><xsl:with-param name="label" select="'Pictures'"/><xsl:with-param name="hint" select="'files in the catalog folder'"/><xsl:with-param name="wide" select="true()"/></xsl:call-template>
          <xsl:call-template name="text"><xsl:with-param name="field" select="szVideo"/><xsl:with-param name="label" select="'Video codec'"/></xsl:call-template>
          <xsl:call-template name="text"><xsl:with-param name="field" select="szAudio"/><xsl:with-param name="label" select="'Audio codec'"/></xsl:call-template>
          <xsl:call-template name="number"><xsl:with-param name="field" select="nWidth"/><xsl:with-param name="label" select="'Width'"/><xsl:with-param name="hint" select="'pixels'"/></xsl:call-template>
          <xsl:call-template name="number"><xsl:with-param name="field" select="nHeight"/><xsl:with-param name="label" select="'Height'"/><xsl:with-param name="hint" select="'pixels'"/></xsl:call-template>
          <xsl:call-template name="decimal-input"><xsl:with-param name="field" select="fFPS"/><xsl:with-param name="label" select="'Frame rate'"/><xsl:with-param name="hint" select="'frames per second'"/></xsl:call-template>
        </div>
      </fieldset>
    </form>
  </xsl:template>

  <xsl:template name="label">
    <xsl:param name="field"/>
    <xsl:param name="label"/>
    <xsl:param name="hint"/>
    <label for="{name($field)}">
      <xsl:value-of select="$label"/>
      <xsl:if test="$hint"><xsl:text> </xsl:text><small>(<xsl:value-of select="$hint"/>)</small></xsl:if>
    </label>
  </xsl:template>

  <xsl:template name="text">
    <xsl:param name="field"/>
    <xsl:param name="label"/>
    <xsl:param name="hint"/>
    <xsl:param name="wide" select="false()"/>
    <div>
      <xsl:if test="$wide"><xsl:attribute name="class">wide</xsl:attribute></xsl:if>
      <xsl:call-template name="label">
        <xsl:with-param name="field" select="$field"/><xsl:with-param name="label" select="$label"/><xsl:with-param name="hint" select="$hint"/>
      </xsl:call-template>
      <input type="text" id="{name($field)}" name="{name($field)}" value="{$field}"/>
    </div>
  </xsl:template>

  <xsl:template name="number">
    <xsl:param name="field"/>
    <xsl:param name="label"/>
    <xsl:param name="hint"/>
    <div>
      <xsl:call-template name="label">
        <xsl:with-param name="field" select="$field"/><xsl:with-param name="label" select="$label"/><xsl:with-param name="hint" select="$hint"/>
      </xsl:call-template>
      <input type="number" step="1" id="{name($field)}" name="{name($field)}" value="{$field}"/>
    </div>
  </xsl:template>

  <xsl:template name="decimal-input">
    <xsl:param name="field"/>
    <xsl:param name="label"/>
    <xsl:param name="hint"/>
    <div>
      <xsl:call-template name="label">
        <xsl:with-param name="field" select="$field"/><xsl:with-param name="label" select="$label"/><xsl:with-param name="hint" select="$hint"/>
      </xsl:call-template>
      <input type="number" step="any" id="{name($field)}" name="{name($field)}">
        <xsl:attribute name="value"><xsl:call-template name="decimal"><xsl:with-param name="value" select="$field"/></xsl:call-template></xsl:attribute>
      </input>
    </div>
  </xsl:template>

  <!-- An array field as comma-separated text. -->
  <xsl:template name="list">
    <xsl:param name="field"/>
    <xsl:param name="label"/>
    <xsl:param name="hint"/>
    <xsl:param name="rows" select="0"/>
    <xsl:param name="wide" select="$rows &gt; 0"/>
    <xsl:variable name="joined">
      <xsl:call-template name="join"><xsl:with-param name="items" select="$field/Item"/></xsl:call-template>
    </xsl:variable>
    <div>
      <xsl:if test="$wide"><xsl:attribute name="class">wide</xsl:attribute></xsl:if>
      <xsl:call-template name="label">
        <xsl:with-param name="field" select="$field"/><xsl:with-param name="label" select="$label"/><xsl:with-param name="hint" select="$hint"/>
      </xsl:call-template>
      <xsl:choose>
        <xsl:when test="$rows &gt; 0">
          <textarea id="{name($field)}" name="{name($field)}" rows="{$rows}"><xsl:value-of select="$joined"/></textarea>
        </xsl:when>
        <xsl:otherwise>
          <input type="text" id="{name($field)}" name="{name($field)}" value="{$joined}"/>
        </xsl:otherwise>
      </xsl:choose>
    </div>
  </xsl:template>

</xsl:stylesheet>
