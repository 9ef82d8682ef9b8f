#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <variant>
#include <vector>

namespace image {

// Why something is refused, as the core says it: a Spanish text whose
// addresses are %1, %2... and given as numbers, so that each front end
// writes them its own way (0x on the command line, the grid's format in the
// window). A front end adds only its prefix.
struct Refusal {
    enum class Kind {
        Usage,         // an option, a file or an image that cannot be used
        Differs,       // the chip cannot take the image, or holds another
        NoProgrammer,  // none, not allowed, silent or in use
        Interrupted,
    };
    Kind kind = Kind::Usage;
    QString text;
    std::vector<std::uint64_t> addresses;

    QString wording(const std::function<QString(std::uint64_t)>& address) const {
        QString out = text;
        for (const std::uint64_t a : addresses) out = out.arg(address(a));
        return out;
    }
};

// A value, or why there is none.
template <typename T>
using Result = std::variant<T, Refusal>;

template <typename T>
const Refusal* refusalOf(const Result<T>& result) {
    return std::get_if<Refusal>(&result);
}

inline Refusal refused(const QString& text, std::vector<std::uint64_t> addresses = {}) {
    return Refusal{Refusal::Kind::Usage, text, std::move(addresses)};
}

}  // namespace image
