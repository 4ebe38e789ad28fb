// The arithmetic of the window's resize layout, in twips: where the grid and
// cmdOK go for a client area of a given size.
#pragma once

namespace ambrelle {

struct ResizeLayout {
    bool applies = false;  // false: a negative client size, nothing is laid out
    float grid_top = 0;
    float grid_left = 0;
    bool sets_grid_width = false;  // false: the width would be negative, the grid keeps its own
    float grid_width = 0;
    bool sets_grid_height = false;
    float grid_height = 0;
    float button_top = 0;
    float button_left = 0;
};

// The layout for a client area of client_width × client_height twips,
// computed in single precision.
ResizeLayout ResizeLayoutFor(float client_width, float client_height);

}  // namespace ambrelle
