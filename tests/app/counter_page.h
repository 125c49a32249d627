// Counter pages as the hit-counter service answers them, for the application's tests.
#pragma once
#include "varnel_config.h"

#include <string>

namespace counter_testing {

// The counter request's target (path and query, as sent).
inline const std::string kCounterTarget = "/count2/count.asp?id=78375&sx=1&ys=9";

// A page showing `digits` as the service does: one image of the configured counter host per
// digit, all from image set "d1".
inline std::string CounterPage(const std::string& digits) {
    std::string page = "<html><body>";
    for (char d : digits)
        page += std::string("<img src=\"http://") + varnel::config::kCounterHost + "/img/d1/" + d +
                ".gif\">";
    return page + "</body></html>";
}

} // namespace counter_testing
