#pragma once
// The fuzz targets: each takes one input of untrusted bytes and must neither crash, hang nor read
// outside them. The return value is for the driver's statistics only.
#include <cstddef>
#include <cstdint>

// Opens the bytes as a zip archive in memory and reads every item; returns the items read.
int FuzzZipOne(const uint8_t* data, size_t size);
// Opens the bytes as a 7z archive in memory and reads every item; returns the items read.
int Fuzz7zOne(const uint8_t* data, size_t size);
// Parses the bytes as a skin XML document in every encoding; returns the elements walked.
int FuzzXmlOne(const uint8_t* data, size_t size);
