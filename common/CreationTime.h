// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <filesystem>
#include <string>

// A file's creation time as the fixed 24-character date text in local time ("Wed Jun 30
// 21:49:08 1993"), the form the tip settings keep to recognise a replaced tips file. Where the
// file system keeps no creation time, the time of the last change stands in for it.
std::string CreationTimeText(const std::filesystem::path& file);
