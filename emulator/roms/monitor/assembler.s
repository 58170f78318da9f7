; D disassembles; A assembles one line and offers the next address; ","
; assembles the edited disassembly line in place.

.include "monitor.inc"
.include "opcodes.inc"

.import mnemonic_names, opcode_mnemonics, opcode_modes, mode_lengths
.import mode_prefixes, mode_suffixes, suffix_texts
.importzp MNEMONIC_COUNT

NO_MODE = $FF
DISASSEMBLY_SPAN = $1F

.segment "CODE"

; D [start [end]]: one instruction a line, as "," reads it back.
disassemble:
        lda #DISASSEMBLY_SPAN
        jsr read_range
@line:  jsr check_stop
        bcs @done
        jsr disassemble_line
        jsr instruction_length
        jsr advance_listing
        bcc @line
@done:  rts

; A = the length of the instruction at ptr (1 for an undocumented opcode).
; Out: X = its mode, Y = its opcode.
instruction_length:
        ldy #0
        lda (ptr),y
        tay
        ldx opcode_modes,y
        lda mode_lengths,x
        rts

; ",addr", up to three bytes, the mnemonic and the operand. Clobbers A, X, Y.
disassemble_line:
        lda #','
        jsr put_address_line
        jsr instruction_length
        sta length
        stx mode
        ldy #0
@byte:  jsr put_space
        cpy length
        bcs @blank
        lda (ptr),y
        jsr put_hex_byte
        jmp @more
@blank: jsr put_space
        jsr put_space
@more:  iny
        cpy #3
        bne @byte
        jsr put_space
        jsr put_space
        ldy #0
        lda (ptr),y
        tay
        lda opcode_mnemonics,y
        sta operand             ; (times three: the name's offset)
        asl
        adc operand
        tax
        ldy #3
@name:  lda mnemonic_names,x
        jsr CHROUT
        inx
        dey
        bne @name
        ldx mode
        lda mode_lengths,x
        cmp #1
        beq @end
        jsr put_space
        lda mode_prefixes,x
        beq @dollar
        jsr CHROUT
@dollar:
        lda #'$'
        jsr CHROUT
        ldy #1
        cpx #REL
        beq @target
        lda length
        cmp #3
        bne @low
        ldy #2
        lda (ptr),y
        jsr put_hex_byte
        dey
@low:   lda (ptr),y
        jsr put_hex_byte
        jmp @suffix
@target:
        jsr branch_target
        ldx operand
        jsr put_hex_word
        ldx mode
@suffix:
        ldy mode_suffixes,x
@text:  lda suffix_texts,y
        beq @end
        jsr CHROUT
        iny
        bne @text
@end:   jmp pad_line

; The target of the branch at ptr: the next instruction's address plus the
; signed offset. Out: A = high byte, operand = low byte.
branch_target:
        lda ptr
        clc
        adc #2
        sta word
        lda ptr + 1
        adc #0
        sta word + 1
        ldx #0
        ldy #1
        lda (ptr),y
        bpl @add
        dex                     ; a backward branch: the high byte is $FF
@add:   clc
        adc word
        sta operand
        txa
        adc word + 1
        rts

; A addr instruction: assemble it, show it disassembled over the typed
; line and type "A next " for the next one; an empty instruction ends.
assemble:
        jsr need_word
        lda word
        sta ptr
        lda word + 1
        sta ptr + 1
        jsr at_end
        beq @done
        jsr assemble_here
        jsr begin_reprint
        jsr disassemble_line
        jsr instruction_length
        clc
        adc ptr
        sta ptr
        bcc @offer
        inc ptr + 1
@offer: jsr offer_next_address
        jmp finish_edit
@done:  rts

; ",addr bytes instruction": the edited disassembly line; the bytes shown
; (groups of two hex digits and a blank) are passed over.
change_instruction:
        jsr need_word
        lda word
        sta ptr
        lda word + 1
        sta ptr + 1
        ldx #3
@group: jsr skip_blanks
        ldy line_pos
        lda line + 2,y
        beq @pair
        cmp #' '
        bne @instruction
@pair:  lda line,y
        jsr is_hex_digit
        bcs @instruction
        lda line + 1,y
        jsr is_hex_digit
        bcs @instruction
        inc line_pos
        inc line_pos
        dex
        bne @group
@instruction:
        jsr assemble_here
        jsr begin_reprint
        jsr disassemble_line
        jmp finish_edit

; Carry clear if A is a hex digit.
is_hex_digit:
        cmp #'0'
        bcc @no
        cmp #'9' + 1
        bcc @yes
        cmp #'A'
        bcc @no
        cmp #'F' + 1
        bcs @no
@yes:   clc
        rts
@no:    sec
        rts

; "A addr " into the keyboard buffer ahead of any keys typed meanwhile, so
; that the screen editor shows it as typed and the next line entered
; starts with it.
OFFER_LENGTH = 7
offer_next_address:
        sei
        ldx KEYBOARD_COUNT
        cpx #KEYBOARD_SIZE - OFFER_LENGTH + 1
        bcc @room
        ldx #KEYBOARD_SIZE - OFFER_LENGTH       ; the rest does not fit
@room:  txa
        clc
        adc #OFFER_LENGTH
        sta KEYBOARD_COUNT
@shift: dex
        bmi @offer
        lda KEYBOARD_BUFFER,x
        sta KEYBOARD_BUFFER + OFFER_LENGTH,x
        jmp @shift
@offer: lda #'A'
        sta KEYBOARD_BUFFER
        lda #' '
        sta KEYBOARD_BUFFER + 1
        sta KEYBOARD_BUFFER + 6
        lda ptr + 1
        ldx #2
        jsr @digits
        lda ptr
        ldx #4
        jsr @digits
        cli
        rts
@digits:
        pha
        lsr
        lsr
        lsr
        lsr
        jsr nibble_char
        sta KEYBOARD_BUFFER,x
        pla
        jsr nibble_char
        sta KEYBOARD_BUFFER + 1,x
        rts

; The instruction at the parse position into memory at ptr; anything the
; table has no opcode for, or that does not fit, is an error.
assemble_here:
        jsr read_mnemonic
        jsr read_operand
        lda form
        ldx digits
        cpx #3
        bcc @short
        cmp #FORM_PLAIN
        bcc @short
        adc #FORM_LONG - FORM_PLAIN - 1   ; carry is set
@short: sta form
        asl
        adc form                ; three candidates a form
        tax
        ldy #3
@try:   lda form_candidates,x
        cmp #NO_MODE
        beq @bad
        jsr emit_in_mode
        bcc @done
        inx
        dey
        bne @try
@bad:   jmp fail
@done:  rts

; Three letters, found among the mnemonics.
read_mnemonic:
        jsr skip_blanks
        ldx #0
@letter:
        jsr take
        and #$7F                ; shifted letters as plain ones
        sta typed,x
        inx
        cpx #3
        bne @letter
        ldx #0
        ldy #0
@find:  lda mnemonic_names,y
        cmp typed
        bne @next
        lda mnemonic_names + 1,y
        cmp typed + 1
        bne @next
        lda mnemonic_names + 2,y
        cmp typed + 2
        beq @found
@next:  iny
        iny
        iny
        inx
        cpx #MNEMONIC_COUNT
        bne @find
        jmp fail
@found: stx mnemonic
        rts

; The operand's form into form and its value into operand; digits says
; how many digits it was written with.
read_operand:
        lda #0
        sta digits
        sta operand
        sta operand + 1
        jsr skip_blanks
        bne @given
        lda #FORM_NONE
        jmp @form
@given: cmp #'#'
        bne @open
        jsr take
        jsr read_value
        lda #FORM_IMMEDIATE
        jmp @form
@open:  cmp #'('
        bne @register_a
        jsr take
        jsr read_value
        jsr skip_blanks
        cmp #','
        bne @close
        jsr take
        lda #'X'
        jsr expect
        lda #')'
        jsr expect
        lda #FORM_INDEXED_INDIRECT
        jmp @form
@close: lda #')'
        jsr expect
        jsr skip_blanks
        cmp #','
        beq @indirect_y
        lda #FORM_INDIRECT
        jmp @form
@indirect_y:
        jsr take
        lda #'Y'
        jsr expect
        lda #FORM_INDIRECT_INDEXED
        jmp @form
@register_a:
        ldx line_pos
        cmp #'A'
        bne @value
        jsr take
        jsr at_end
        bne @not_a
        lda #FORM_ACCUMULATOR
        jmp @form
@not_a: stx line_pos
@value: jsr read_value
        jsr skip_blanks
        cmp #','
        bne @plain
        jsr take
        jsr skip_blanks
        jsr take
        cmp #'X'
        beq @x
        cmp #'Y'
        bne @wrong
        lda #FORM_Y
        jmp @form
@x:     lda #FORM_X
        jmp @form
@plain: lda #FORM_PLAIN
@form:  sta form
        jmp expect_end
@wrong: jmp fail

; After blanks, A must be the next character.
expect:
        sta typed
        jsr skip_blanks
        jsr take
        cmp typed
        bne @wrong
        rts
@wrong: jmp fail

; A hex number, "$" optional, into operand.
read_value:
        jsr skip_blanks
        cmp #'$'
        bne @number
        jsr take
@number:
        jsr hex_number
        bcs @none
        lda word
        sta operand
        lda word + 1
        sta operand + 1
        rts
@none:  jmp fail

; A = a mode: carry clear once the instruction is in memory in that mode;
; carry set if the mnemonic has no such mode or the operand does not fit.
; Keeps X, Y.
emit_in_mode:
        sta mode
        stx keep_x
        sty keep_y
        tax
        lda mode_lengths,x
        sta length
        cmp #2
        bne @find
        cpx #REL
        beq @find
        lda operand + 1         ; a one-byte operand must fit in a byte
        bne @no
@find:  ldy #0
@scan:  lda opcode_mnemonics,y
        cmp mnemonic
        bne @next
        lda opcode_modes,y
        cmp mode
        beq @found
@next:  iny
        bne @scan
@no:    ldx keep_x
        ldy keep_y
        sec
        rts
@found: lda mode
        cmp #REL
        bne @operand
        jsr branch_offset       ; before anything is stored
        bcs @no
@operand:
        tya
        ldy #0
        sta (ptr),y
        lda length
        cmp #2
        bcc @emitted
        ldy #1
        lda operand
        sta (ptr),y
        lda length
        cmp #3
        bcc @emitted
        iny
        lda operand + 1
        sta (ptr),y
@emitted:
        ldx keep_x
        ldy keep_y
        clc
        rts

; operand = a branch target -> the offset from the next instruction, in
; operand. Carry set if it is more than a byte's reach.
branch_offset:
        lda ptr
        clc
        adc #2
        sta word
        lda ptr + 1
        adc #0
        sta word + 1
        sec
        lda operand
        sbc word
        sta operand
        lda operand + 1
        sbc word + 1
        beq @forward
        cmp #$FF
        bne @far
        lda operand             ; back: the low byte must be negative
        bmi @near
@far:   sec
        rts
@forward:
        lda operand
        bmi @far
@near:  lda #0
        sta operand + 1
        clc
        rts

FORM_NONE = 0
FORM_ACCUMULATOR = 1
FORM_IMMEDIATE = 2
FORM_INDIRECT = 3
FORM_INDEXED_INDIRECT = 4
FORM_INDIRECT_INDEXED = 5
FORM_PLAIN = 6
FORM_X = 7
FORM_Y = 8
FORM_LONG = 9           ; forms 6-8 again, written with three or four digits

; The modes a form may mean, tried in order. A zero-page mode takes only a
; one-byte operand, so "$0012" still assembles where only zero page exists.
form_candidates:
        .byte IMP,  ACC,  NO_MODE
        .byte ACC,  NO_MODE, NO_MODE
        .byte IMM,  NO_MODE, NO_MODE
        .byte IND,  NO_MODE, NO_MODE
        .byte INDX, NO_MODE, NO_MODE
        .byte INDY, NO_MODE, NO_MODE
        .byte REL,  ZP,   ABS
        .byte ZPX,  ABSX, NO_MODE
        .byte ZPY,  ABSY, NO_MODE
        .byte REL,  ABS,  ZP
        .byte ABSX, ZPX,  NO_MODE
        .byte ABSY, ZPY,  NO_MODE

.segment "BSS"

mnemonic:       .res 1
mode:           .res 1
length:         .res 1
form:           .res 1
operand:        .res 2
typed:          .res 3
keep_x:         .res 1
keep_y:         .res 1
