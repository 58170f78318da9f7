; Character set 2: small letters at $01-$1A, capitals at $41-$5A, and the
; graphics of set 1 elsewhere, except four of its own.

.include "rows.inc"
.include "capitals.inc"
.include "small_letters.inc"
.include "symbols.inc"
.include "graphics_lines.inc"
.include "graphics_blocks.inc"

.define NORMAL_SEGMENT "SET2"
.define INVERSE_SEGMENT "SET2_INVERSE"

.segment "SET2"
set2_start:

        glyph_at                ; $00
        small_letters           ; $01-$1A
        brackets_and_arrows     ; $1B-$1F
        punctuation_and_digits  ; $20-$3F
        graphics_40
        capitals                ; $41-$5A
        graphics_5B_5D
        set2_5E_5F
        graphics_60_68
        set2_69
        graphics_6A_79
        set2_7A
        graphics_7B_7F

.segment "SET2"
.assert * - set2_start = 128 * 8, error, "set 2 needs 128 glyphs"
