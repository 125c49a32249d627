// Regular-expression service: Perl-like patterns over code page 936 texts.
#pragma once
#include "app/runtime.h"

#include <memory>

namespace varnel {

// One match: for every group (0 = the whole match) its byte offset in the searched text and
// its length; a group that did not take part has offset -1.
struct RegexMatch {
    struct Group {
        std::ptrdiff_t start = -1;
        std::ptrdiff_t length = 0;
    };
    std::vector<Group> groups;
};

// A compiled pattern. Created empty (RegexCreate), compiled with Compile, released by its
// destructor (RegexDestroy).
class Regex {
public:
    Regex();
    ~Regex();
    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;

    // Compiles `pattern`; false (and an empty object) when it is not a valid pattern.
    bool Compile(const Text& pattern, bool caseSensitive = true);
    bool IsCompiled() const;

    // Every successive non-overlapping match from the start of `text`. An empty object, or a
    // search the engine gives up on as too complex, finds nothing.
    std::vector<RegexMatch> SearchAll(const Text& text) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Text of group `index` of `match` in `text` (0 = the whole match); empty when the group did
// not take part or does not exist. With `startOut` the group's byte offset is stored there
// (-1 when it did not take part).
Text MatchSubtext(const RegexMatch& match, const Text& text, std::size_t index,
                  std::ptrdiff_t* startOut = nullptr);

} // namespace varnel
