#pragma once

// The two rows of digit cells and their four places, units first so that a carry moves to
// the next higher index.
enum class Row { Counter, Hilfszahl };
enum class Place { Einer, Zehner, Hunderter, Tausender };

constexpr int placeValue(Place place) {
    constexpr int values[] = {1, 10, 100, 1000};
    return values[static_cast<int>(place)];
}

// The place's word, as the window and everything said about it use it.
constexpr const char *placeName(Place place) {
    constexpr const char *names[] = {"Einer", "Zehner", "Hunderter", "Tausender"};
    return names[static_cast<int>(place)];
}

struct Cell {
    Row row;
    Place place;
    friend constexpr bool operator==(Cell, Cell) = default;
};

// Colours as the layout stores them: red in the lowest byte.
constexpr unsigned kRestColour = 65280; // green
constexpr unsigned kLitColour = 255;    // red
