#pragma once

#include <cstdint>
#include <string>

#include "audio_store/pcm_file.h"

class COperationDialog;

// Renders the peak file of a PCM file: one (left, right) byte pair per 128 bytes of
// audio, each the largest examined absolute sample shifted right by 7, examining every
// fourth frame. peakLength is set to the PCM size / 64. Returns 1, or 0 (reported)
// without a progress dialog or when a file fails; the peak file is replaced only by
// a complete rendering.
int RenderPeakFile(const PCMFile& pcm, const std::string& peakPath, COperationDialog* progress, uint32_t& peakLength);
