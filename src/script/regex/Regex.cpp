#include "script/regex/Regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <atomic>
#include <chrono>
#include <cstring>

#include "script/regex/PatternCheck.h"
#include "script/regex/RegexError.h"
#include "script/regex/RegexOptions.h"

namespace reelkeep {
namespace {

// Limits that stop catastrophic backtracking with an error instead of a hang.
constexpr std::uint32_t kMatchLimit = 5'000'000;
constexpr std::uint32_t kDepthLimit = 250'000;
constexpr std::uint32_t kHeapLimitKiB = 256 * 1024;
constexpr std::size_t kJitStackMax = 4 * 1024 * 1024;
// JIT compiling pays off only when there is much text to search.
constexpr std::size_t kJitThreshold = 4096;
// Every match attempt passes a callout at the pattern's start, which watches the time budget.
constexpr std::string_view kAttemptCallout = "(?C)";
std::atomic<std::int64_t> timeBudgetMs{5000};

constexpr const char* kLimitMessage = "match limit exceeded";

// The time budget of the operation running on this thread, if any.
class OperationBudget {
public:
    OperationBudget() : outer_(current) {
        if (outer_ == nullptr) {
            deadline_ = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(timeBudgetMs.load(std::memory_order_relaxed));
            current = this;
        }
    }
    ~OperationBudget() {
        if (outer_ == nullptr)
            current = nullptr;
    }
    OperationBudget(const OperationBudget&) = delete;
    OperationBudget& operator=(const OperationBudget&) = delete;

    // Reads the clock only every so many calls: attempts come by the million.
    static bool Expired() {
        OperationBudget* budget = current;
        if (budget == nullptr || (++budget->calls & 63) != 0)
            return false;
        return std::chrono::steady_clock::now() > budget->deadline_;
    }

private:
    static thread_local OperationBudget* current;
    OperationBudget* outer_;
    std::chrono::steady_clock::time_point deadline_{};
    unsigned calls = 0;
};
thread_local OperationBudget* OperationBudget::current = nullptr;

int AttemptCallout(pcre2_callout_block*, void*) {
    return OperationBudget::Expired() ? PCRE2_ERROR_CALLOUT : 0;
}

// Per thread: the match limits and a JIT stack larger than PCRE2's default.
struct MatchResources {
    pcre2_match_context* context = nullptr;
    pcre2_jit_stack* jitStack = nullptr;

    MatchResources() {
        context = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(context, kMatchLimit);
        pcre2_set_depth_limit(context, kDepthLimit);
        pcre2_set_heap_limit(context, kHeapLimitKiB);
        pcre2_set_callout(context, AttemptCallout, nullptr);
        jitStack = pcre2_jit_stack_create(32 * 1024, kJitStackMax, nullptr);
        if (jitStack != nullptr)
            pcre2_jit_stack_assign(context, nullptr, jitStack);
    }
    ~MatchResources() {
        pcre2_jit_stack_free(jitStack);
        pcre2_match_context_free(context);
    }
    MatchResources(const MatchResources&) = delete;
    MatchResources& operator=(const MatchResources&) = delete;
};

pcre2_match_context* ThreadMatchContext() {
    thread_local MatchResources resources;
    return resources.context;
}

bool JitAvailable() {
    static const bool available = [] {
        std::uint32_t jit = 0;
        pcre2_config(PCRE2_CONFIG_JIT, &jit);
        return jit != 0;
    }();
    return available;
}

}  // namespace

void Regex::CodeDeleter::operator()(pcre2_real_code_8* code) const {
    pcre2_code_free(code);
}
void Regex::MatchDataDeleter::operator()(pcre2_real_match_data_8* data) const {
    pcre2_match_data_free(data);
}

Regex::Regex(std::string_view pattern, std::uint32_t options) : options_(options) {
    pattern = pattern.substr(0, std::min(pattern.size(), pattern.find('\0')));

    std::uint32_t compileOptions = 0;
    if (options & kRegexNoCase)
        compileOptions |= PCRE2_CASELESS;
    if (options & kRegexMultiline)
        compileOptions |= PCRE2_MULTILINE;
    if (options & kRegexSingleline)
        compileOptions |= PCRE2_DOTALL;
    if (options & kRegexExtended)
        compileOptions |= PCRE2_EXTENDED;

    std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> context(
        pcre2_compile_context_create(nullptr), &pcre2_compile_context_free);
    // Perl's line break, whatever PCRE2 was built with.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);

    compileOptions |= PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;  // 8-bit text, byte by byte
    int error = 0;
    PCRE2_SIZE offset = 0;
    const auto compile = [&](std::string_view text) {
        code_.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(),
                                  compileOptions, &error, &offset, context.get()));
    };
    compile(pattern);
    if (!code_)
        throw RegexError(CompileErrorMessage(error, pattern, offset));
    if (ScanPattern(pattern, (options & kRegexExtended) != 0).quantifiedGroup) {
        // Backtracking into a quantified group can grow exponentially at every start position,
        // each time just within PCRE2's limits; a callout at each attempt watches the time
        // budget. It costs speed, so simple patterns go without.
        std::string watched(kAttemptCallout);
        watched += pattern;
        compile(watched);
        if (!code_)
            throw RegexError(CompileErrorMessage(error, pattern, 0));
    }

    std::uint32_t captures = 0;
    pcre2_pattern_info(code_.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
    groupCount_ = captures;
    matchData_.reset(pcre2_match_data_create_from_pattern(code_.get(), nullptr));
    if (!matchData_)
        throw RegexError("out of memory");
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

bool Regex::Run(std::string_view subject, std::size_t start, std::uint32_t matchOptions,
                std::vector<MatchSpan>& groups) const {
    if (!jitTried_ && subject.size() >= kJitThreshold && JitAvailable()) {
        jitTried_ = true;
        pcre2_jit_compile(code_.get(), PCRE2_JIT_COMPLETE);  // falls back to the interpreter
    }
    const auto* bytes = reinterpret_cast<PCRE2_SPTR>(subject.data());
    int rc = pcre2_match(code_.get(), bytes, subject.size(), start, matchOptions, matchData_.get(),
                         ThreadMatchContext());
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
        // Deep backtracking: the interpreter keeps its frames on the heap, within its limit.
        rc = pcre2_match(code_.get(), bytes, subject.size(), start, matchOptions | PCRE2_NO_JIT,
                         matchData_.get(), ThreadMatchContext());
    }
    if (rc == PCRE2_ERROR_NOMATCH || rc == PCRE2_ERROR_PARTIAL)
        return false;
    if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
        rc == PCRE2_ERROR_HEAPLIMIT || rc == PCRE2_ERROR_JIT_STACKLIMIT ||
        rc == PCRE2_ERROR_NOMEMORY || rc == PCRE2_ERROR_CALLOUT)
        throw RegexError(kLimitMessage);
    if (rc < 0)
        throw RegexError("ill-formed regular expression");

    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData_.get());
    groups.assign(groupCount_ + 1, MatchSpan{});
    for (std::size_t i = 0; i <= groupCount_; ++i) {
        MatchSpan& g = groups[i];
        if (ovector[2 * i] == PCRE2_UNSET)
            continue;
        g.start = ovector[2 * i];
        g.end = std::max(ovector[2 * i + 1], g.start);  // \K could put the end first
    }
    return true;
}

bool Regex::SearchFrom(std::string_view subject, std::size_t start,
                       std::vector<MatchSpan>& groups) const {
    const OperationBudget budget;
    if (start > subject.size())
        return false;
    return Run(subject, start, 0, groups);
}

void Regex::SetTimeBudget(std::chrono::milliseconds budget) {
    timeBudgetMs.store(budget.count(), std::memory_order_relaxed);
}

bool Regex::SearchRightmost(std::string_view subject, std::vector<MatchSpan>& groups) const {
    // One forward search tells whether there is any match at all; then anchored attempts from
    // the end backwards find the rightmost start, which is at or after the forward one.
    if (!SearchFrom(subject, 0, groups))
        return false;
    const std::size_t leftmost = groups[0].start;
    std::vector<MatchSpan> attempt;
    for (std::size_t p = subject.size(); p > leftmost; --p) {
        if (Run(subject, p, PCRE2_ANCHORED, attempt)) {
            groups = std::move(attempt);
            return true;
        }
        if (OperationBudget::Expired())
            throw RegexError(kLimitMessage);
    }
    return true;
}

bool Regex::Search(std::string_view subject, std::vector<MatchSpan>& groups) const {
    const OperationBudget budget;
    if (options_ & kRegexRightmost)
        return SearchRightmost(subject, groups);
    return SearchFrom(subject, 0, groups);
}

template <class Visit>
void Regex::ForEachMatch(std::string_view subject, Visit&& visit) const {
    const OperationBudget budget;
    std::vector<MatchSpan> groups;
    std::size_t position = 0;
    while (SearchFrom(subject, position, groups)) {
        visit(groups);
        const MatchSpan whole = groups[0];
        position = whole.end > whole.start ? whole.end : whole.end + 1;
    }
}

std::size_t Regex::Count(std::string_view subject) const {
    std::size_t count = 0;
    ForEachMatch(subject, [&count](const std::vector<MatchSpan>&) { ++count; });
    return count;
}

std::string Regex::ExtractFirst(std::string_view subject) const {
    std::vector<MatchSpan> groups;
    return SearchFrom(subject, 0, groups) ? ExtractedText(subject, groups) : std::string();
}

std::vector<std::string> Regex::ExtractAll(std::string_view subject) const {
    std::vector<std::string> found;
    ForEachMatch(subject, [&](const std::vector<MatchSpan>& groups) {
        found.push_back(ExtractedText(subject, groups));
    });
    return found;
}

std::size_t Regex::Substitute(std::string& text, const Substitution& substitution,
                              bool global) const {
    std::vector<MatchSpan> groups;
    std::string out;
    std::size_t replaced = 0;
    std::size_t copied = 0;  // text[0, copied) is already in out

    if (!global) {
        if (!Search(text, groups))
            return 0;
        out.append(text, 0, groups[0].start);
        substitution.Expand(out, text, groups);
        out.append(text, groups[0].end);
        text = std::move(out);
        return 1;
    }
    ForEachMatch(text, [&](const std::vector<MatchSpan>& found) {
        const MatchSpan whole = found[0];
        out.append(text, copied, whole.start - copied);
        substitution.Expand(out, text, found);
        copied = whole.end;
        ++replaced;
    });
    if (replaced == 0)
        return 0;
    out.append(text, copied);
    text = std::move(out);
    return replaced;
}

std::string ExtractedText(std::string_view subject, const std::vector<MatchSpan>& groups) {
    std::string out;
    const std::size_t first = groups.size() > 1 ? 1 : 0;
    for (std::size_t i = first; i < groups.size(); ++i) {
        if (groups[i].IsSet())
            out.append(subject.substr(groups[i].start, groups[i].end - groups[i].start));
    }
    return out;
}

}  // namespace reelkeep
