#pragma once

// Colours as the model names them; the faces map them to pixels.
enum class NamedColor {
    Green,
    Yellow,
    Orange,
    Red,
};
