; The memory commands: M and I list memory as hex and as text, ":" and "'"
; change it from the edited listing line; F fills, T copies, C compares and
; H hunts.

.include "monitor.inc"

BYTES_PER_HEX_LINE  = 8
BYTES_PER_TEXT_LINE = 32
HEX_LINES  = 12
TEXT_LINES = 8
PATTERN_SIZE = 32
QUOTE_MARK = $27         ; marks a text line and a hunted text

.segment "CODE"

; M [start [end]]: hex and PETSCII, eight bytes a line.
memory: lda #BYTES_PER_HEX_LINE * HEX_LINES - 1
        jsr read_range
@line:  jsr check_stop
        bcs @done
        jsr show_memory_line
        lda #BYTES_PER_HEX_LINE
        jsr advance_listing
        bcc @line
@done:  rts

; I [start [end]]: the same as text, 32 bytes a line.
text:   lda #BYTES_PER_TEXT_LINE * TEXT_LINES - 1
        jsr read_range
@line:  jsr check_stop
        bcs @done
        jsr show_text_line
        lda #BYTES_PER_TEXT_LINE
        jsr advance_listing
        bcc @line
@done:  rts

; A = the size of the line just listed: ptr moves past it and is where the
; next listing goes on. Carry set when the listing has reached its end.
advance_listing:
        clc
        adc ptr
        sta ptr
        sta next_addr
        lda ptr + 1
        adc #0
        sta ptr + 1
        sta next_addr + 1
        bcs @done               ; past $FFFF
        lda end_addr
        cmp ptr
        lda end_addr + 1
        sbc ptr + 1
        bcc @past
        clc
        rts
@past:  sec
@done:  rts

; ":addr" and eight bytes, each a blank and two hex digits, then the same
; bytes as characters. Clobbers A, X, Y.
show_memory_line:
        lda #':'
        jsr put_address_line
        ldy #0
@hex:   jsr put_space
        lda (ptr),y
        jsr put_hex_byte
        iny
        cpy #BYTES_PER_HEX_LINE
        bne @hex
        jsr put_space
        ldx #BYTES_PER_HEX_LINE
        jmp put_characters

; "'addr", a blank and 32 bytes as characters. Clobbers A, X, Y.
show_text_line:
        lda #QUOTE_MARK
        jsr put_address_line
        jsr put_space
        ldx #BYTES_PER_TEXT_LINE
        ; fall through

; X bytes from ptr as characters: those the screen shows as themselves,
; "." for the control codes; then the line's end.
put_characters:
        ldy #0
@next:  lda (ptr),y
        pha
        and #$7F
        cmp #$20
        pla
        bcs @shown
        lda #'.'
@shown: jsr CHROUT
        iny
        dex
        bne @next
        jmp pad_line


; :addr b1 ... b8: the edited hex listing line back into memory; the line
; is shown again from memory.
change_memory:
        jsr need_word
        jsr word_to_ptr
        ldy #0
@byte:  jsr read_byte
        bcs @shown
        sta (ptr),y
        iny
        cpy #BYTES_PER_HEX_LINE
        bne @byte
@shown: jsr begin_reprint
        jsr show_memory_line
        jmp finish_edit

; 'addr text: the edited text listing line back into memory, one byte for
; each character after the blank that follows the address.
change_text:
        jsr need_word
        jsr word_to_ptr
        jsr take
        ldy #0
@char:  jsr take
        beq @shown
        sta (ptr),y
        iny
        cpy #BYTES_PER_TEXT_LINE
        bne @char
@shown: jsr begin_reprint
        jsr show_text_line
        jmp finish_edit

word_to_ptr:
        lda word
        sta ptr
        lda word + 1
        sta ptr + 1
        rts

; The destination of T and C into ptr2; nothing may follow it.
read_destination:
        jsr need_word
        lda word
        sta ptr2
        lda word + 1
        sta ptr2 + 1
        jmp expect_end

; F start end byte.
fill:   jsr read_block
        jsr need_byte
        sta fill_value
        jsr expect_end
        ldy #0
@store: lda fill_value
        sta (ptr),y
        jsr step_range
        bcc @store
        rts

; T start end dest: a copy that overlapping ranges survive, taken from the
; top down when the destination lies above the source.
transfer:
        jsr read_block
        jsr read_destination
        ldy #0
        lda ptr2
        cmp ptr
        lda ptr2 + 1
        sbc ptr + 1
        bcs @down
@up:    lda (ptr),y
        sta (ptr2),y
        jsr step_range
        bcc @up
        rts
@down:  sec                     ; count = end - start; both pointers to
        lda end_addr            ; their last byte
        sbc ptr
        sta count
        lda end_addr + 1
        sbc ptr + 1
        sta count + 1
        ldx #ptr
        jsr add_count
        ldx #ptr2
        jsr add_count
@copy:  lda (ptr),y
        sta (ptr2),y
        lda count
        ora count + 1
        beq @done
        lda count
        bne @low
        dec count + 1
@low:   dec count
        ldx #ptr
        jsr decrement
        ldx #ptr2
        jsr decrement
        jmp @copy
@done:  rts

; X = a zero-page pointer, moved on by count.
add_count:
        clc
        lda 0,x
        adc count
        sta 0,x
        lda 1,x
        adc count + 1
        sta 1,x
        rts

; X = a zero-page pointer, moved back by one.
decrement:
        lda 0,x
        bne @low
        dec 1,x
@low:   dec 0,x
        rts

; C start end dest: the addresses whose bytes differ.
compare:
        jsr read_block
        jsr read_destination
@next:  jsr check_stop
        bcs @done
        ldy #0
        lda (ptr),y
        cmp (ptr2),y
        beq @same
        jsr report_address
@same:  jsr step_range
        bcc @next
@done:  jmp new_line

; H start end bytes, or H start end 'text: the addresses where they are.
hunt:   jsr read_block
        jsr skip_blanks
        ldx #0
        cmp #QUOTE_MARK
        bne @bytes
        jsr take
@char:  jsr take
        beq @search
        jsr keep_pattern_byte
        bne @char
@bytes: jsr read_byte
        bcs @search
        jsr keep_pattern_byte
        bne @bytes
@search:
        stx pattern_length
        txa
        beq @bad
@next:  jsr check_stop
        bcs @done
        ldy #0
@match: lda (ptr),y
        cmp pattern,y
        bne @other
        iny
        cpy pattern_length
        bne @match
        jsr report_address
@other: jsr step_range
        bcc @next
@done:  jmp new_line
@bad:   jmp fail

; A into the pattern at X, which moves on; an overlong pattern is an error.
; Z clear.
keep_pattern_byte:
        cpx #PATTERN_SIZE
        bcs @too_long
        sta pattern,x
        inx
        rts
@too_long:
        jmp fail

.segment "BSS"

fill_value:     .res 1
count:          .res 2
pattern:        .res PATTERN_SIZE
pattern_length: .res 1
