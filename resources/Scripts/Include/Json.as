// The `json` type, for sources that answer in JSON (see Wikipedia.rki and TMDB.rki):
//
//   json doc(text);              parses; invalid text stops the script with the parser's
//                                message. Texts over 16 MB, nested deeper than 256 levels or
//                                with more than a million objects and arrays are refused.
//   doc['query']['pages'][0]     a member by name, an element by index (an object's members
//                                by index too, in the order key(i) names them); what is not
//                                there is a "missing" value, never an error
//   v.asString('none')           the value when it is a string, otherwise the text given
//   v.asNumber(0), v.asInt(0)    the value when it is a number (asInt cuts off fractions)
//   v.asBool(false)              the value when it is true or false
//   v.length()                   elements of an array, members of an object, 0 otherwise
//   v.has('name')                whether an object has that member
//   v.key(i)                     the name of an object's i-th member
//   v.kind()                     'object', 'array', 'string', 'number', 'bool', 'null' or
//                                'missing'
//   v.dump()                     the value as JSON text
//
// A `json` value may be copied and kept; the copies share the parsed document.
