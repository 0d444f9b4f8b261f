// Numbers in their "C" form ("2.5", never "2,5") on the calling thread for the life of the
// object, whatever locale the process runs under (the window takes the user's). The rest of the
// locale stays as it is. For libraries that turn numbers into text with the C library's own
// formatting, such as the XPath of libxml2 during a transform.
#pragma once

#include <locale.h>

namespace reelkeep {

class CNumericScope {
public:
    CNumericScope();
    ~CNumericScope();
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;

private:
    locale_t numeric_ = static_cast<locale_t>(0);
    locale_t previous_ = static_cast<locale_t>(0);
};

}  // namespace reelkeep
