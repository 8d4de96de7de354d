#pragma once
// One entry per parser of outside data, shared by the libFuzzer targets (fuzz_*.cpp) and
// by the core tests that replay every input that ever crashed one of them. An entry
// returns normally for any input; a fault shows as a crash, a sanitizer report or an
// abort of a broken invariant.

#include <cstddef>
#include <cstdint>
#include <string_view>

using FuzzEntry = void (*)(const uint8_t* data, size_t size);

void FuzzSettingsFile(const uint8_t* data, size_t size);
void FuzzIniFile(const uint8_t* data, size_t size);
void FuzzParameterBlock(const uint8_t* data, size_t size);
void FuzzNumberRecord(const uint8_t* data, size_t size);
void FuzzStatusReply(const uint8_t* data, size_t size);
void FuzzJpegPicture(const uint8_t* data, size_t size);
void FuzzLabelFile(const uint8_t* data, size_t size);
void FuzzHexImage(const uint8_t* data, size_t size);
void FuzzSettingsText(const uint8_t* data, size_t size);
void FuzzBmpPicture(const uint8_t* data, size_t size);

// The entry of a target by its name ("settings_file"), nullptr for an unknown name. A new
// reader gets an entry above, a line in the table of FuzzEntries.cpp and a fuzz_NAME.cpp.
FuzzEntry FuzzEntryByName(std::string_view name);
