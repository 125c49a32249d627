#include "app/regex.h"

#include <boost/regex.hpp>

namespace varnel {

struct Regex::Impl {
    boost::regex pattern;
};

Regex::Regex() = default;
Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

bool Regex::Compile(const Text& pattern, bool caseSensitive) {
    impl_.reset();
    boost::regex::flag_type flags = boost::regex::perl;
    if (!caseSensitive) flags |= boost::regex::icase;
    try {
        auto impl = std::make_unique<Impl>();
        impl->pattern.assign(pattern, flags);
        impl_ = std::move(impl);
        return true;
    } catch (const boost::regex_error&) {
        return false;
    }
}

bool Regex::IsCompiled() const {
    return impl_ != nullptr;
}

std::vector<RegexMatch> Regex::SearchAll(const Text& text) const {
    std::vector<RegexMatch> matches;
    if (!impl_) return matches;
    try {
        boost::sregex_iterator it(text.begin(), text.end(), impl_->pattern);
        for (const boost::sregex_iterator end; it != end; ++it) {
            const boost::smatch& found = *it;
            RegexMatch match;
            match.groups.resize(found.size());
            for (std::size_t i = 0; i < found.size(); ++i) {
                if (found[i].matched) {
                    match.groups[i].start = found.position(i);
                    match.groups[i].length = found.length(i);
                }
            }
            matches.push_back(std::move(match));
        }
    } catch (const std::runtime_error&) {
        // Boost gives up on searches whose backtracking grows too large (and on stack
        // exhaustion) by throwing; such a search counts as finding nothing at all, rather than
        // a partial list that would look like a complete one.
        matches.clear();
    }
    return matches;
}

Text MatchSubtext(const RegexMatch& match, const Text& text, std::size_t index,
                  std::ptrdiff_t* startOut) {
    RegexMatch::Group group;
    if (index < match.groups.size()) group = match.groups[index];
    if (startOut) *startOut = group.start;
    if (group.start < 0 || static_cast<std::size_t>(group.start) > text.size()) return {};
    return text.substr(static_cast<std::size_t>(group.start),
                       static_cast<std::size_t>(group.length));
}

} // namespace varnel
