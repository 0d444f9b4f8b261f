// Text helpers shared by every script: blanks, comma lists, HTML fragments, addresses.

bool IsBlank(uint8 c)
{
    return c == 32 || c == 9 || c == 10 || c == 13;
}

// The text without blanks at either end.
string Trim(const string &in text)
{
    uint first = 0;
    uint last = text.length();
    while (first < last && IsBlank(text[first]))
        first++;
    while (last > first && IsBlank(text[last - 1]))
        last--;
    return text.mid(first, last - first);
}

// Runs of blanks, line breaks included, become one space.
string FoldBlanks(const string &in text)
{
    string folded = text;
    regex blanks('\\s+', ' ', 2);
    blanks.substitute(folded);
    return Trim(folded);
}

// "Drama, Comedy ,, War" gives 'Drama', 'Comedy', 'War'.
string[] SplitList(const string &in text)
{
    string[] pieces = text * '([^,]+)';
    string[] result;
    for (uint i = 0; i < pieces.length(); i++)
    {
        string piece = Trim(pieces[i]);
        if (!piece.empty())
            result.append(piece);
    }
    return result;
}

// The readable text of an HTML fragment: the page's own line breaks are only blanks, <br>
// starts a new line, other tags are dropped, character references decoded.
string PlainText(const string &in html)
{
    string text = html;
    regex blanks('\\s+', ' ', 2);
    blanks.substitute(text);
    regex breaks(' ?<br\\s*/?> ?', '\n', 3);
    breaks.substitute(text);
    regex tags('<[^>]*>', '', 2);
    tags.substitute(text);
    text.replace('&amp;', '&');
    text.replace('&quot;', '"');
    text.replace('&lt;', '<');
    text.replace('&gt;', '>');
    text.unescape();
    return Trim(text);
}

bool Contains(const string[] &in list, const string &in value)
{
    for (uint i = 0; i < list.length(); i++)
    {
        if (list[i] == value)
            return true;
    }
    return false;
}

// The plain text of every match of `pattern`'s first group, without repeats.
string[] AllTexts(const string &in page, const string &in pattern)
{
    string[] found = page * pattern;
    string[] result;
    for (uint i = 0; i < found.length(); i++)
    {
        string text = PlainText(found[i]);
        if (!text.empty() && !Contains(result, text))
            result.append(text);
    }
    return result;
}

// A link of a page as a full address: "/x" and "x" are taken relative to `base`.
string Absolute(const string &in link, const string &in base)
{
    if (link.find('http://') == 0 || link.find('https://') == 0)
        return link;
    string site = base % '^(https?://[^/]+)';
    if (link.find('/') == 0)
        return site + link;
    int slash = base.rfind('/');
    if (slash < int(site.length()))
        return site + '/' + link;
    return base.left(slash + 1) + link;
}
