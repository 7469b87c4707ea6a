#pragma once

#include <cstddef>
#include <cstdint>

// The capture panel's outline, stored with the program as "Mask2" data (see
// RegionData.h): 63 rectangles around a camera back, with the display cut out.
// Made by scripts/make-panel-outline.py; compiled in from
// src/capture/resources/PanelOutline.mask2.
namespace pixmoth {

struct StoredBytes {
    const std::uint8_t* data;
    std::size_t size;
};

StoredBytes PanelOutlineMask2();

} // namespace pixmoth
