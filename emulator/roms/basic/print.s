; PRINT, PRINT# and CMD. Items are expressions, TAB( and SPC(; ';' joins,
; ',' moves to the next 10-column zone. A number is followed by a blank
; (a cursor right on the screen); a carriage return ends the output unless
; the statement ends in ';' or ','.

.include "basic.inc"

.segment "BASIC"

; out_space_or_right: a blank to a file, a cursor right to the screen.
out_space_or_right:
        lda     CHANNL
        beq     @screen
        lda     #' '
        .byte   $2C                     ; (skip the next instruction)
@screen:
        lda     #CRSR_RIGHT
        jmp     CHROUT

CRSR_RIGHT = $1D

; PRINT# file [, items]
stmt_print_file:
        jsr     open_output
        jsr     CHRGOT
        beq     @items                  ; no items: stmt_print ends the line
        jsr     chk_comma
@items: jsr     stmt_print
        jmp     end_channel

; CMD file [, items]: later output goes to the file.
stmt_cmd:
        jsr     open_output
        jsr     CHRGOT
        beq     print_done
        jsr     chk_comma
        jmp     stmt_print

.segment "BASIC_E2B7"

stmt_print:
        beq     out_cr
print_item:
        cmp     #TOK_TAB
        beq     print_tab
        cmp     #TOK_SPC
        beq     print_tab
        cmp     #','
        beq     print_comma
        cmp     #';'
        beq     print_semicolon
        jsr     eval_expr
        bit     VALTYP
        bmi     print_string
        jsr     float_to_text
        jsr     print_string_ay
        ldx     #1                      ; a number: one blank after it
print_blanks:
        jsr     out_blanks
print_after:
        jsr     CHRGOT
        bne     print_item
        ; fall through: ended on an item, a new line

; out_cr: output a carriage return. Keeps X, Y.
out_cr:
        lda     #13
        jmp     CHROUT

; the other items of stmt_print
print_string:
        jsr     print_fac_string
        jmp     print_after
print_comma:
        jsr     zone_blanks
print_semicolon:
        jsr     CHRGET
        bne     print_item
        rts                             ; ended on a separator: stay on the line
print_tab:
        pha
        jsr     CHRGET
        jsr     eval_byte
        jsr     chk_close
        pla
        cmp     #TOK_TAB
        bne     print_blanks
        txa                             ; TAB(n): X = n - column (PLOT's, in PNTR),
        sec                             ; unless already there or beyond
        sbc     PNTR
        bcc     print_after
        tax
        bcs     print_blanks

.segment "BASIC"

; zone_blanks: out_blanks up to the next multiple of 10 columns.
zone_blanks:
        lda     PNTR                    ; the cursor column, as PLOT reads it
        sec
@mod:   sbc     #10
        bcs     @mod
        eor     #$FF
        adc     #1
        tax
        ; fall through

; out_blanks: X times out_space_or_right.
out_blanks:
        txa
        beq     print_done
@loop:  jsr     out_space_or_right
        dex
        bne     @loop
print_done:
        rts

