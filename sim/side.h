#pragma once

namespace sim {

// The two units of a pair: P at the central end, S at the subscriber end.
enum class Side { P, S };

constexpr Side otherSide(Side side) {
    return side == Side::P ? Side::S : Side::P;
}
constexpr char sideLetter(Side side) {
    return side == Side::P ? 'P' : 'S';
}

} // namespace sim
