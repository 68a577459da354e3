#include "capture/KeyTranslation.h"

namespace {

constexpr KeyAction Consume() {
    return {KeyActionKind::Consume, 0};
}
constexpr KeyAction Post(std::uint32_t code) {
    return {KeyActionKind::Post, static_cast<std::uint16_t>(code)};
}
constexpr KeyAction PostDefault(std::uint32_t vk) {
    return Post(DefaultKeyCode(vk));
}

// Press without prefix. Keypad keys come without E0, so their navigation codes are turned back into
// keypad codes whatever the Num Lock state.
KeyAction PlainPress(std::uint32_t vk, std::uint16_t& modifiers) {
    switch (vk) {
    case 12:
        return Post(101);
    case 33:
        return Post(105);
    case 34:
        return Post(99);
    case 35:
        return Post(97);
    case 36:
        return Post(103);
    case 37:
        return Post(100);
    case 38:
        return Post(104);
    case 39:
        return Post(102);
    case 40:
        return Post(98);
    case 45:
        return {KeyActionKind::KeypadZero, 96};
    case 46:
        return Post(110);
    case 44:
        return (modifiers & AUXMOD_ALT) ? Post(106) : PostDefault(vk);
    case 144:
        return Post(19);
    case 145:
        return Post(17);
    case 16:
        modifiers |= AUXMOD_SHIFT;
        return Consume();
    case 17:
        modifiers |= AUXMOD_CTRL;
        return Consume();
    case 18:
        modifiers |= AUXMOD_ALT;
        return Consume();
    case 20:
        return Consume(); // Caps Lock: the system's state must not change
    default:
        return PostDefault(vk);
    }
}

KeyAction PlainRelease(std::uint32_t vk, std::uint16_t& modifiers) {
    switch (vk) {
    case 16:
        modifiers &= ~AUXMOD_SHIFT;
        break;
    case 17:
        modifiers &= ~AUXMOD_CTRL;
        break;
    case 18:
        modifiers &= ~AUXMOD_ALT;
        break;
    default:
        break;
    }
    return Consume();
}

KeyAction E0Press(std::uint32_t vk, std::uint16_t& modifiers) {
    switch (vk) {
    case 17:
        modifiers |= AUXMOD_CTRL;
        return Consume();
    case 18:
        modifiers |= AUXMOD_ALT | AUXMOD_CTRL;
        return Consume(); // right Alt is AltGr: Ctrl and Alt
    case 145:
        return (modifiers & AUXMOD_CTRL) ? Post(19) : PostDefault(vk);
    case 160:
        return Consume();
    case 191:
    case 223:
        return Post(111);
    case 234:
        return Post(92);
    case 241:
        return Post(91);
    case 249:
        return Post(93);
    default:
        return PostDefault(vk);
    }
}

KeyAction E0Release(std::uint32_t vk, std::uint16_t& modifiers) {
    switch (vk) {
    case 17:
        modifiers &= ~AUXMOD_CTRL;
        break;
    case 18:
    case 164:
        modifiers &= ~(AUXMOD_ALT | AUXMOD_CTRL);
        break;
    default:
        break;
    }
    return Consume();
}

} // namespace

KeyAction TranslateKey(std::uint16_t keyState, std::uint32_t vk, std::uint16_t& modifiers) {
    switch (keyState) {
    case 0:
        return PlainPress(vk, modifiers);
    case 1:
        return PlainRelease(vk, modifiers);
    case 2:
        return E0Press(vk, modifiers);
    case 3:
        return E0Release(vk, modifiers);
    case 4:
        return vk == 17 ? Consume() : PostDefault(vk);
    case 5:
        return Consume();
    default:
        return PostDefault(vk);
    }
}
