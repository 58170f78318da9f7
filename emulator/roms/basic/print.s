; PRINT, PRINT# and CMD. Items are expressions, TAB( and SPC(; ';' joins,
; ',' moves to the next 10-column zone. A number is followed by a blank
; (a cursor right on the screen); a carriage return ends the output unless
; the statement ends in ';' or ','.

.include "basic.inc"

.segment "BASIC"

; out_cr: output a carriage return. Keeps X, Y.
out_cr:
        lda     #13
        jmp     CHROUT

; out_space_or_right: a blank to a file, a cursor right to the screen.
out_space_or_right:
        lda     CHANNL
        beq     @screen
        lda     #' '
        .byte   $2C                     ; (skip the next instruction)
@screen:
        lda     #CRSR_RIGHT
        jmp     CHROUT

; out_question: "?" then a blank.
out_question:
        lda     #'?'
        jsr     CHROUT
        lda     #' '
        jmp     CHROUT

CRSR_RIGHT = $1D

.segment "BASIC_A7B1"

; PRINT# file [, items]
stmt_print_file:
        jsr     open_output
        jsr     CHRGOT
        beq     @cr
        jsr     chk_comma
        jsr     stmt_print
        jmp     end_channel
@cr:    jsr     out_cr
        jmp     end_channel

.segment "BASIC"

; CMD file [, items]: later output goes to the file.
stmt_cmd:
        jsr     open_output
        jsr     CHRGOT
        beq     print_done
        jsr     chk_comma
        jmp     stmt_print

; open_output: evaluate a file number and send output there.
open_output:
        jsr     eval_byte
        stx     CHANNL
        jsr     CHKOUT
        bcc     print_done
        tax
        jmp     basic_error

; end_channel: back to the screen and keyboard after PRINT#/INPUT#/GET#.
end_channel:
        jsr     CLRCHN
        lda     #0
        sta     CHANNL
print_done:
        rts

.segment "BASIC_SPILL_EC"

stmt_print:
        bne     @item
        jmp     out_cr
@item:  cmp     #TOK_TAB
        beq     @tab
        cmp     #TOK_SPC
        beq     @tab
        cmp     #','
        beq     @comma
        cmp     #';'
        beq     @semicolon
        jsr     eval_expr
        bit     VALTYP
        bmi     @string
        jsr     float_to_text
        jsr     print_string_ay
        jsr     out_space_or_right
        jmp     @after
@string:
        jsr     print_fac_string
@after: jsr     CHRGOT
        bne     @item
        jmp     out_cr                  ; ended on an item: new line
@comma: jsr     zone_blanks
@semicolon:
        jsr     CHRGET
        bne     @item
        rts                             ; ended on a separator: stay on the line
@tab:   pha
        jsr     CHRGET
        jsr     eval_byte
        lda     #')'
        jsr     chk_char
        pla
        cmp     #TOK_TAB
        bne     @spc
        stx     CHARAC                  ; TAB(n): to column n
        sec
        jsr     PLOT
        tya                             ; X = n - column, unless already there or beyond
        eor     #$FF
        sec
        adc     CHARAC
        bcc     @after
        tax
@spc:   jsr     out_blanks
        jmp     @after

.segment "BASIC"

; zone_blanks: out_blanks up to the next multiple of 10 columns.
zone_blanks:
        sec
        jsr     PLOT
        tya
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
        beq     @done
@loop:  jsr     out_space_or_right
        dex
        bne     @loop
@done:  rts

