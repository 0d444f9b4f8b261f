<?xml version="1.0" encoding="UTF-8"?>
<!-- Pieces the three Reelkeep templates share: the page head, links to files beside the
     template and the catalog, and the formatting of sizes, lengths, lists and ratings. -->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:str="http://exslt.org/strings"
    xmlns:rk="urn:reelkeep:template-functions"
    exclude-result-prefixes="str rk">

  <!-- A folder attribute of the root as the start of a file URL; empty in an export, where
       links stay relative to the exported file. -->
  <xsl:template name="folder-url">
    <xsl:param name="folder"/>
    <xsl:if test="string($folder) != ''">
      <!-- Each name between slashes is escaped whole, so "?" or "#" in a folder name stay
           part of the path. -->
      <xsl:text>file://</xsl:text>
      <xsl:for-each select="str:tokenize($folder, '/')">
        <xsl:value-of select="concat('/', str:encode-uri(., true()))"/>
      </xsl:for-each>
      <xsl:text>/</xsl:text>
    </xsl:if>
  </xsl:template>

  <xsl:template name="page-head">
    <xsl:param name="title"/>
    <head>
      <meta name="viewport" content="width=device-width, initial-scale=1"/>
      <title><xsl:value-of select="$title"/></title>
      <xsl:choose>
        <!-- An exported page carries its styles, so it looks the same wherever it is opened. -->
        <xsl:when test="not(/Reelkeep/@StyleSheet) and function-available('rk:text-beside')">
          <style><xsl:value-of select="rk:text-beside('Reelkeep.css')"/></style>
        </xsl:when>
        <xsl:otherwise>
          <link rel="stylesheet">
            <xsl:attribute name="href">
              <xsl:call-template name="folder-url">
                <xsl:with-param name="folder" select="/Reelkeep/@StyleSheet"/>
              </xsl:call-template>
              <xsl:text>Reelkeep.css</xsl:text>
            </xsl:attribute>
          </link>
        </xsl:otherwise>
      </xsl:choose>
    </head>
  </xsl:template>

  <!-- The first picture of a movie, from the catalog folder. -->
  <xsl:template name="picture-url">
    <xsl:param name="movie"/>
    <xsl:call-template name="folder-url">
      <xsl:with-param name="folder" select="/Reelkeep/@Pictures"/>
    </xsl:call-template>
    <xsl:value-of select="str:encode-uri($movie/pszPictures/Item[1], true())"/>
  </xsl:template>

  <!-- Entries of an array element, joined by a separator. -->
  <xsl:template name="join">
    <xsl:param name="items"/>
    <xsl:param name="separator" select="', '"/>
    <xsl:for-each select="$items">
      <xsl:if test="position() &gt; 1"><xsl:value-of select="$separator"/></xsl:if>
      <xsl:value-of select="."/>
    </xsl:for-each>
  </xsl:template>

  <!-- Bytes in the unit a person reads at a glance. -->
  <xsl:template name="size">
    <xsl:param name="bytes"/>
    <xsl:choose>
      <xsl:when test="$bytes &gt;= 1073741824">
        <xsl:value-of select="format-number($bytes div 1073741824, '#,##0.00')"/>&#160;GB</xsl:when>
      <xsl:when test="$bytes &gt;= 1048576">
        <xsl:value-of select="format-number($bytes div 1048576, '#,##0.0')"/>&#160;MB</xsl:when>
      <xsl:when test="$bytes &gt;= 1024">
        <xsl:value-of select="format-number($bytes div 1024, '#,##0')"/>&#160;KB</xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="format-number($bytes, '#,##0')"/>&#160;bytes</xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- A movie's files, each beside its size (the two lists pair by position); nothing to edit. -->
  <xsl:template name="files-table">
    <xsl:param name="movie"/>
    <xsl:if test="$movie/pszFilenames/Item or $movie/pnSizes/Item">
      <table class="files">
        <thead><tr><th>File</th><th class="number">Size</th></tr></thead>
        <tbody>
          <xsl:for-each select="$movie/pszFilenames/Item">
            <xsl:variable name="position" select="position()"/>
            <xsl:variable name="bytes" select="../../pnSizes/Item[$position]"/>
            <tr>
              <td class="file-name"><xsl:value-of select="."/></td>
              <td class="number">
                <xsl:if test="$bytes">
                  <span title="{format-number($bytes, '#,##0')} bytes">
                    <xsl:call-template name="size"><xsl:with-param name="bytes" select="$bytes"/></xsl:call-template>
                  </span>
                </xsl:if>
              </td>
            </tr>
          </xsl:for-each>
        </tbody>
        <xsl:if test="count($movie/pnSizes/Item) &gt; 1">
          <tfoot>
            <tr>
              <td><xsl:value-of select="count($movie/pszFilenames/Item)"/> files</td>
              <td class="number"><xsl:call-template name="size"><xsl:with-param name="bytes" select="sum($movie/pnSizes/Item)"/></xsl:call-template></td>
            </tr>
          </tfoot>
        </xsl:if>
      </table>
    </xsl:if>
  </xsl:template>

  <!-- Minutes as "1 h 52 min". -->
  <xsl:template name="length">
    <xsl:param name="minutes"/>
    <xsl:choose>
      <xsl:when test="$minutes &gt;= 60">
        <xsl:value-of select="floor($minutes div 60)"/>&#160;h<xsl:if test="$minutes mod 60 != 0">
          <xsl:text> </xsl:text><xsl:value-of select="$minutes mod 60"/>&#160;min</xsl:if>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$minutes"/>&#160;min</xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Five stars filled to the rating out of ten. -->
  <xsl:template name="stars">
    <xsl:param name="rating"/>
    <xsl:variable name="clamped">
      <xsl:choose>
        <xsl:when test="$rating &gt; 10">10</xsl:when>
        <xsl:when test="$rating &gt; 0"><xsl:value-of select="$rating"/></xsl:when>
        <xsl:otherwise>0</xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <span class="stars" title="{format-number($rating, '0.0')} / 10">
      <span class="stars-fill" style="width: {format-number($clamped * 10, '0.#')}%"></span>
    </span>
  </xsl:template>

  <!-- A number without the trailing zeros of the catalog's six decimals. -->
  <xsl:template name="decimal">
    <xsl:param name="value"/>
    <xsl:value-of select="format-number($value, '0.######')"/>
  </xsl:template>

</xsl:stylesheet>
