#pragma once
// The segmentation Ferrow asks Zorvik for, as Zorvik's last six arguments:
// blocks of 8 by 8 pixels, two texture levels, texture and border refinement
// on, no margin, at most 10 regions. Whatever segments for Ferrow's chain
// takes them from here.

#include <array>

namespace pipeline {

inline constexpr std::array<const char*, 6> kSegmentationArguments{"8", "2", "1", "1", "0", "10"};

}  // namespace pipeline
