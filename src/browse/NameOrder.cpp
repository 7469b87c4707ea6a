#include "browse/NameOrder.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <numeric>

#include <locale.h>
#include <wchar.h>
#include <wctype.h>

namespace pixmoth {

namespace {

locale_t CollationLocale() {
    static const locale_t locale = [] {
        for (const char* name : {"", "C.UTF-8"}) {
            if (locale_t found = ::newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, name, nullptr)) {
                return found;
            }
        }
        return ::newlocale(LC_ALL_MASK, "C", nullptr);
    }();
    return locale;
}

// The name lower-cased and transformed so that comparing keys with wcscmp
// compares names by the locale's collation.
std::wstring CollationKey(const std::string& name, locale_t locale) {
    std::wstring folded;
    folded.reserve(name.size());
    const locale_t previous = ::uselocale(locale); // mbrtowc has no _l variant
    std::mbstate_t state{};
    for (std::size_t at = 0; at < name.size();) {
        wchar_t character = 0;
        std::size_t length = std::mbrtowc(&character, name.data() + at, name.size() - at, &state);
        if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2) ||
            length == 0) {
            character = static_cast<unsigned char>(name[at]);
            length = 1;
            state = {};
        }
        folded += static_cast<wchar_t>(::towlower_l(static_cast<wint_t>(character), locale));
        at += length;
    }
    ::uselocale(previous);
    std::wstring key(::wcsxfrm_l(nullptr, folded.c_str(), 0, locale) + 1, L'\0');
    key.resize(::wcsxfrm_l(key.data(), folded.c_str(), key.size(), locale));
    return key;
}

} // namespace

void SortNamesIgnoringCase(std::vector<std::string>& names) {
    const locale_t locale = CollationLocale();
    std::vector<std::wstring> keys;
    keys.reserve(names.size());
    for (const std::string& name : names) {
        keys.push_back(CollationKey(name, locale));
    }
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (std::size_t index : order) {
        sorted.push_back(std::move(names[index]));
    }
    names = std::move(sorted);
}

} // namespace pixmoth
