#include "platform/CNumericScope.h"

namespace reelkeep {

CNumericScope::CNumericScope() {
    // A copy of the thread's locale as it is now, with the numbers of "C".
    const locale_t current = duplocale(uselocale(static_cast<locale_t>(0)));
    if (current == static_cast<locale_t>(0)) return;
    numeric_ = newlocale(LC_NUMERIC_MASK, "C", current);
    if (numeric_ == static_cast<locale_t>(0)) {
        freelocale(current);
        return;
    }
    previous_ = uselocale(numeric_);
}

CNumericScope::~CNumericScope() {
    if (numeric_ == static_cast<locale_t>(0)) return;
    uselocale(previous_);
    freelocale(numeric_);
}

}  // namespace reelkeep
