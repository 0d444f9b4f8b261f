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

// The text with A to Z in lower case; other bytes stay as they are.
string Lower(const string &in text)
{
    string lower = text;
    for (uint i = 0; i < lower.length(); i++)
    {
        if (lower[i] >= 65 && lower[i] <= 90)
            lower[i] = uint8(lower[i] + 32);
    }
    return lower;
}

// The text as one value of an address's query: letters, digits and "-_.~" stay, every other
// byte (UTF-8 ones too) becomes "%XX".
string UrlEncode(const string &in text)
{
    const string hex = '0123456789ABCDEF';
    string encoded;
    for (uint i = 0; i < text.length(); i++)
    {
        uint8 c = text[i];
        if ((c >= 48 && c <= 57) || (c >= 65 && c <= 90) || (c >= 97 && c <= 122) ||
            c == 45 || c == 95 || c == 46 || c == 126)
            encoded += text.mid(i, 1);
        else
            encoded += '%' + hex.mid(c >> 4, 1) + hex.mid(c & 15, 1);
    }
    return encoded;
}

int HexDigit(uint8 c)
{
    if (c >= 48 && c <= 57)
        return c - 48;
    if (c >= 65 && c <= 70)
        return c - 55;
    if (c >= 97 && c <= 102)
        return c - 87;
    return -1;
}

// "%XX" escapes back to their bytes ("Am%C3%A9lie" gives the UTF-8 of "Amélie").
string UrlDecode(const string &in text)
{
    string decoded;
    uint i = 0;
    while (i < text.length())
    {
        if (text[i] == 37 && i + 2 < text.length() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0)
        {
            string b = ' ';
            b[0] = uint8(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            decoded += b;
            i += 3;
        }
        else
        {
            decoded += text.mid(i, 1);
            i++;
        }
    }
    return decoded;
}

// The last part of an address's path, without its query ("https://x/a/b.jpg?s=1" gives
// 'b.jpg'), its escapes decoded: a file name for a download.
string UrlFileName(const string &in url)
{
    string path = url;
    int query = path.find('?');
    if (query >= 0)
        path = path.left(query);
    int slash = path.rfind('/');
    return UrlDecode(path.mid(slash + 1));
}
