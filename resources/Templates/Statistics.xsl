<?xml version="1.0" encoding="UTF-8"?>
<!-- Reelkeep: the whole catalog, or the movies the Filter finds, at a glance. Every bar and
     name links to "rkpage:/filter?" and the query of its slice; the window sets its Filter to
     it and stays where it is. -->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:str="http://exslt.org/strings"
    xmlns:svg="http://www.w3.org/2000/svg"
    exclude-result-prefixes="str svg">
  <xsl:include href="Common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" doctype-system="about:legacy-compat"/>

  <xsl:template match="/">
    <xsl:variable name="s" select="Reelkeep/Statistics"/>
    <html lang="en">
      <xsl:call-template name="page-head">
        <xsl:with-param name="title" select="'Statistics'"/>
      </xsl:call-template>
      <body class="statistics">
        <main>
          <h1>
            <xsl:value-of select="format-number($s/@Movies, '#,##0')"/>
            <xsl:if test="$s/@Filter != ''">
              <xsl:text> of </xsl:text>
              <xsl:value-of select="format-number($s/@CatalogMovies, '#,##0')"/>
            </xsl:if>
            <xsl:text> movie</xsl:text>
            <xsl:if test="not($s/@Filter = '' and $s/@Movies = 1)">s</xsl:if>
          </h1>
          <xsl:if test="$s/@Filter != ''">
            <p class="filter">Filter: <code><xsl:value-of select="$s/@Filter"/></code></p>
          </xsl:if>
          <div class="summary">
            <div>
              <strong><xsl:value-of select="format-number($s/@Watched, '#,##0')"/></strong>
              <span>watched</span>
            </div>
            <div>
              <strong><xsl:value-of select="format-number($s/@Unwatched, '#,##0')"/></strong>
              <span>not watched</span>
            </div>
            <div>
              <strong><xsl:call-template name="total-time"><xsl:with-param name="minutes" select="$s/@Minutes"/></xsl:call-template></strong>
              <span>running time</span>
            </div>
            <div>
              <strong><xsl:call-template name="total-size"><xsl:with-param name="bytes" select="$s/@Bytes"/></xsl:call-template></strong>
              <span>in <xsl:value-of select="format-number($s/@Files, '#,##0')"/> files</span>
            </div>
          </div>
          <div class="charts">
            <xsl:call-template name="card">
              <xsl:with-param name="title" select="'By decade'"/>
              <xsl:with-param name="bars" select="$s/Decades/Bar"/>
              <xsl:with-param name="none" select="'No movie has a year.'"/>
            </xsl:call-template>
            <xsl:call-template name="card">
              <xsl:with-param name="title" select="'By rating'"/>
              <xsl:with-param name="bars" select="$s/Ratings/Bar"/>
              <xsl:with-param name="none" select="'No movie is rated.'"/>
            </xsl:call-template>
            <xsl:call-template name="card">
              <xsl:with-param name="title" select="'Added per year'"/>
              <xsl:with-param name="bars" select="$s/AddedYears/Bar"/>
              <xsl:with-param name="none" select="'No movie says when it was added.'"/>
            </xsl:call-template>
            <xsl:call-template name="card">
              <xsl:with-param name="title" select="'Categories'"/>
              <xsl:with-param name="bars" select="$s/Categories/Bar"/>
              <xsl:with-param name="none" select="'No movie has a category.'"/>
              <xsl:with-param name="across" select="true()"/>
            </xsl:call-template>
            <xsl:call-template name="card">
              <xsl:with-param name="title" select="'Directors'"/>
              <xsl:with-param name="bars" select="$s/Directors/Bar"/>
              <xsl:with-param name="none" select="'No movie names a director.'"/>
              <xsl:with-param name="across" select="true()"/>
            </xsl:call-template>
            <xsl:call-template name="card">
              <xsl:with-param name="title" select="'Actors'"/>
              <xsl:with-param name="bars" select="$s/Actors/Bar"/>
              <xsl:with-param name="none" select="'No movie names an actor.'"/>
              <xsl:with-param name="across" select="true()"/>
            </xsl:call-template>
          </div>
        </main>
      </body>
    </html>
  </xsl:template>

  <!-- One chart in a card: columns, or bars across with their names beside them. -->
  <xsl:template name="card">
    <xsl:param name="title"/>
    <xsl:param name="bars"/>
    <xsl:param name="none"/>
    <xsl:param name="across" select="false()"/>
    <section class="chart-card">
      <h2><xsl:value-of select="$title"/></h2>
      <xsl:variable name="most">
        <xsl:for-each select="$bars">
          <xsl:sort select="@Count" data-type="number" order="descending"/>
          <xsl:if test="position() = 1"><xsl:value-of select="@Count"/></xsl:if>
        </xsl:for-each>
      </xsl:variable>
      <xsl:choose>
        <xsl:when test="not($bars)">
          <p class="empty"><xsl:value-of select="$none"/></p>
        </xsl:when>
        <xsl:when test="$across">
          <xsl:call-template name="bars-across">
            <xsl:with-param name="bars" select="$bars"/>
            <xsl:with-param name="most" select="number($most)"/>
          </xsl:call-template>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="columns">
            <xsl:with-param name="bars" select="$bars"/>
            <xsl:with-param name="most" select="number($most)"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </section>
  </xsl:template>

  <!-- The address that sets the Filter to a bar's movies. -->
  <xsl:template name="filter-link">
    <xsl:attribute name="href">
      <xsl:value-of select="concat('rkpage:/filter?', str:encode-uri(@Filter, true()))"/>
    </xsl:attribute>
  </xsl:template>

  <!-- Upright columns in a chart of a fixed width, so that every chart draws its text at the
       same size; the label below each (every other one when they are many), its count above. -->
  <xsl:template name="columns">
    <xsl:param name="bars"/>
    <xsl:param name="most"/>
    <xsl:variable name="wide" select="460"/>
    <xsl:variable name="high" select="110"/>
    <xsl:variable name="fit" select="floor($wide div count($bars))"/>
    <xsl:variable name="step">
      <xsl:choose>
        <xsl:when test="$fit &gt; 64">64</xsl:when>
        <xsl:otherwise><xsl:value-of select="$fit"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <svg xmlns="http://www.w3.org/2000/svg" class="chart columns" role="img"
         viewBox="0 0 {$wide} {$high + 40}" preserveAspectRatio="xMinYMin meet">
      <xsl:for-each select="$bars">
        <xsl:variable name="h" select="floor(@Count div $most * $high + 0.5) + (@Count &gt; 0 and floor(@Count div $most * $high + 0.5) = 0)"/>
        <xsl:variable name="x" select="(position() - 1) * $step"/>
        <a class="slice">
          <xsl:call-template name="filter-link"/>
          <title><xsl:value-of select="concat(@Label, ': ', format-number(@Count, '#,##0'), ' movie')"/><xsl:if test="@Count != 1">s</xsl:if></title>
          <rect class="hit" x="{$x}" y="0" width="{$step}" height="{$high + 40}"/>
          <rect class="bar" x="{$x + 2}" y="{$high + 16 - $h}" width="{$step - 4}" height="{$h}" rx="2"/>
          <xsl:if test="$step &gt;= 34">
            <text class="count" x="{$x + $step div 2}" y="{$high + 12 - $h}" text-anchor="middle"><xsl:value-of select="format-number(@Count, '#,##0')"/></text>
          </xsl:if>
          <xsl:if test="$step &gt;= 30 or position() mod 2 = 1">
            <text class="label" x="{$x + $step div 2}" y="{$high + 32}" text-anchor="middle"><xsl:value-of select="@Label"/></text>
          </xsl:if>
        </a>
      </xsl:for-each>
    </svg>
  </xsl:template>

  <!-- Bars across, most first as the document lists them, each name beside its bar. -->
  <xsl:template name="bars-across">
    <xsl:param name="bars"/>
    <xsl:param name="most"/>
    <xsl:variable name="row" select="24"/>
    <xsl:variable name="names" select="170"/>
    <xsl:variable name="long" select="230"/>
    <svg xmlns="http://www.w3.org/2000/svg" class="chart across" role="img"
         viewBox="0 0 460 {count($bars) * $row}" preserveAspectRatio="xMinYMin meet">
      <xsl:for-each select="$bars">
        <xsl:variable name="w" select="floor(@Count div $most * $long + 0.5)"/>
        <xsl:variable name="y" select="(position() - 1) * $row"/>
        <a class="slice">
          <xsl:call-template name="filter-link"/>
          <title><xsl:value-of select="concat(@Label, ': ', format-number(@Count, '#,##0'), ' movie')"/><xsl:if test="@Count != 1">s</xsl:if></title>
          <rect class="hit" x="0" y="{$y}" width="460" height="{$row}"/>
          <text class="name" x="{$names - 8}" y="{$y + 16}" text-anchor="end">
            <xsl:choose>
              <xsl:when test="string-length(@Label) &gt; 24"><xsl:value-of select="concat(substring(@Label, 1, 23), '&#8230;')"/></xsl:when>
              <xsl:otherwise><xsl:value-of select="@Label"/></xsl:otherwise>
            </xsl:choose>
          </text>
          <rect class="bar" x="{$names}" y="{$y + 5}" width="{$w + ($w = 0)}" height="{$row - 10}" rx="2"/>
          <text class="count" x="{$names + $w + 6}" y="{$y + 16}"><xsl:value-of select="format-number(@Count, '#,##0')"/></text>
        </a>
      </xsl:for-each>
    </svg>
  </xsl:template>

  <!-- Minutes of many movies: hours (and minutes while they are few). -->
  <xsl:template name="total-time">
    <xsl:param name="minutes"/>
    <xsl:choose>
      <xsl:when test="$minutes &lt; 6000">
        <xsl:call-template name="length"><xsl:with-param name="minutes" select="$minutes"/></xsl:call-template>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="format-number(floor($minutes div 60), '#,##0')"/>&#160;h</xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The size of many files: terabytes too. -->
  <xsl:template name="total-size">
    <xsl:param name="bytes"/>
    <xsl:choose>
      <xsl:when test="$bytes &gt;= 1099511627776">
        <xsl:value-of select="format-number($bytes div 1099511627776, '#,##0.00')"/>&#160;TB</xsl:when>
      <xsl:otherwise>
        <xsl:call-template name="size"><xsl:with-param name="bytes" select="$bytes"/></xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

</xsl:stylesheet>
