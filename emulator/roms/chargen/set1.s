; Character set 1: capitals and the PETSCII graphics, in screen-code order.

.include "rows.inc"
.include "capitals.inc"
.include "small_letters.inc"
.include "symbols.inc"
.include "graphics_lines.inc"
.include "graphics_blocks.inc"

.define NORMAL_SEGMENT "SET1"
.define INVERSE_SEGMENT "SET1_INVERSE"

.segment "SET1"
set1_start:

        glyph_at                ; $00
        capitals                ; $01-$1A
        brackets_and_arrows     ; $1B-$1F
        punctuation_and_digits  ; $20-$3F
        graphics_40
        graphics_41_5A
        graphics_5B_5D
        set1_5E_5F
        graphics_60_68
        set1_69
        graphics_6A_79
        set1_7A
        graphics_7B_7F

.segment "SET1"
.assert * - set1_start = 128 * 8, error, "set 1 needs 128 glyphs"
