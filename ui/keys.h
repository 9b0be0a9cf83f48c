// The keys a form answers: Tab and the arrows move the focus, Enter and
// Space press what has it, Esc takes the window's way out.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace ui {

enum class Key { Tab, Enter, Space, Escape, Left, Right, Up, Down };

class KeySet {
public:
    constexpr KeySet() = default;
    constexpr KeySet(std::initializer_list<Key> keys) {
        for (Key key : keys) {
            bits_ |= Bit(key);
        }
    }
    constexpr bool has(Key key) const { return (bits_ & Bit(key)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }

private:
    static constexpr std::uint32_t Bit(Key key) { return 1u << static_cast<unsigned>(key); }
    std::uint32_t bits_ = 0;
};

} // namespace ui
