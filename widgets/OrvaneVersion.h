#pragma once

// The program's version, shown as "%1.%2.%3" by the version option and the About box.
namespace orvane {
constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;
constexpr int kVersionBuild = 13503;
} // namespace orvane
