// Identifiers of the program's own resources, shared by the resource script and the code.
#pragma once

// The banner picture of the three pages: a progressive JPEG, decoded at run time.
#define IDR_BANNER 101

// Button glyphs: 16-colour bitmaps holding the enabled and the disabled image side by
// side; the bottom-left pixel's colour is transparent.
#define IDB_GLYPH_FORWARD 111
#define IDB_GLYPH_BACK 112
#define IDB_GLYPH_CHECK 113
#define IDB_GLYPH_CROSS 114
// The open-folder picture of the install folder field's browse button.
#define IDB_FOLDER 115

// The copy clip of page 3 (resource type "AVI"): 31 frames of 272 x 60, RLE8, looping;
// made at build time from resources/clip.
#define IDR_COPY_CLIP 121
