#pragma once
// The fuzz targets: each takes one input of untrusted bytes and must neither crash, hang nor read
// outside them. The return value is for the driver's statistics only.
#include <cstddef>
#include <cstdint>
#include <vector>

// Opens the bytes as a zip archive in memory and reads every item; returns the items read.
int FuzzZipOne(const uint8_t* data, size_t size);
// Opens the bytes as a 7z archive in memory and reads every item; returns the items read.
int Fuzz7zOne(const uint8_t* data, size_t size);
// Parses the bytes as a skin XML document in every encoding; returns the elements walked.
int FuzzXmlOne(const uint8_t* data, size_t size);
// Parses the bytes (UTF-8) as an image description and draws it twice.
int FuzzImageDescOne(const uint8_t* data, size_t size);
// Draws and measures the bytes (UTF-8) as mark-up text in several styles.
int FuzzMarkupOne(const uint8_t* data, size_t size);
// Builds the bytes as a skin with a window manager of its own, lays the tree out and frees it;
// returns the controls built.
int FuzzSkinBuilderOne(const uint8_t* data, size_t size);
// Edits a skin text as elements and attributes (the structure-aware mutations of that target).
void MutateSkinXml(std::vector<uint8_t>* bytes, uint64_t seed);
