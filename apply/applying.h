#pragma once

// What the command line and the page share in putting a palette into files:
// the palette read, each input's format found and its recolouring chosen, the
// files that hold no image refused, and the warnings of each recolouring.

#include "apply.h"

#include <string>
#include <vector>

namespace corvane::apply {

// The palette to put into files, from a file of any format Corvane reads,
// found by its content. Refuses one that cannot be read, one of no colour or
// of more than MostColours, after the palette file's name.
Problem readPalette(ByteSource& source, Palette& palette);

// Puts the palette into one input, read whole from `in` and written to `out`
// in its own format: the one `from` names, or the one its content shows.
// What the user is warned of goes to `warnings`, each to follow the input's
// name; a refusal too. Nothing written to `out` is of use after a refusal.
Problem applyPalette(ByteSource& in, const formats::Format* from, const Palette& palette, Mode mode, ByteSink& out,
                     std::vector<std::string>& warnings);

// The input's first image as it shows, for the page: found as applyPalette
// finds it, refused as applyPalette refuses it.
Problem previewImage(ByteSource& in, const formats::Format* from, Preview& image);

} // namespace corvane::apply
