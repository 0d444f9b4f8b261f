<?xml version="1.0" encoding="UTF-8"?>
<!-- Reelkeep: the form that edits one movie. Every input is named after a field of the record;
     lists are comma-separated text. The program stores what the form posts, and the form
     posts only the fields the user changed: a field left alone keeps its stored value exactly,
     commas inside list entries and line breaks included. The files, which pair with their
     sizes, are shown but not posted. -->
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
        <xsl:call-template name="post-changes-only"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="Movie">
    <form id="edit-form" method="post" action="about:blank" accept-charset="UTF-8" autocomplete="off">
      <!-- Names no field: a Save with nothing changed still posts, and so still ends editing. -->
      <input type="hidden" name="edit-page" value="1" data-always-posted=""/>
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
          <div class="wide">
            <span class="label">Files</span>
            <xsl:call-template name="files-table"><xsl:with-param name="movie" select="."/></xsl:call-template>
            <xsl:if test="not(pszFilenames/Item or pnSizes/Item)"><p class="muted">None yet: drop a file on the window to add it.</p></xsl:if>
          </div>
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

  <!-- Just before the form's entries are read (window, capture phase: ahead of every listener
       on the document), the controls of each field whose controls all hold what they held
       when the page was made are disabled, so that the field is not posted; they are enabled
       again right after. Controls that share a name (the hidden 0 and the Watched box) count
       as one field. -->
  <xsl:template name="post-changes-only">
    <script><![CDATA[
(function () {
    'use strict';
    var form = document.getElementById('edit-form');
    if (!form) return;
    function stateOf(control) {
        if (control.type === 'checkbox' || control.type === 'radio') return String(control.checked);
        if (control.options) {
            return Array.prototype.map.call(control.options, function (option) {
                return option.selected ? '1' : '0';
            }).join('');
        }
        return control.value;
    }
    // As made: a number input shows "" for a stored value it cannot show, and that is no change.
    var made = new Map();
    Array.prototype.forEach.call(form.elements, function (control) {
        made.set(control, stateOf(control));
    });
    function untouched(control) {
        return made.has(control) && made.get(control) === stateOf(control);
    }
    function holdBackUntouched(event) {
        if (event.target !== form) return;
        var fields = new Map();
        Array.prototype.forEach.call(form.elements, function (control) {
            if (!control.name || control.disabled || control.hasAttribute('data-always-posted')) return;
            if (control.type === 'submit' || control.type === 'button' || control.type === 'reset') return;
            if (!fields.has(control.name)) fields.set(control.name, []);
            fields.get(control.name).push(control);
        });
        var held = [];
        fields.forEach(function (controls) {
            if (!controls.every(untouched)) return;
            controls.forEach(function (control) {
                control.disabled = true;
                held.push(control);
            });
        });
        setTimeout(function () {
            held.forEach(function (control) { control.disabled = false; });
        }, 0);
    }
    window.addEventListener('submit', holdBackUntouched, true);
    // form.submit() in the pane announces itself with this event instead.
    window.addEventListener('reelkeep-submit', holdBackUntouched, true);
})();
]]></script>
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
