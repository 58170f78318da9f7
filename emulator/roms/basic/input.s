; INPUT, INPUT#, READ, DATA pointers and RESTORE: values taken from a typed
; line, a file line or the program's DATA statements and assigned to a list
; of variables. Text items may be quoted; unquoted ones end at ',' or ':'.

.include "basic.inc"

.segment "BASIC_BDD0"

SOURCE  = INPPTR                ; where the values come from (INPPTR or DATPTR)
LISTPOS = FORPNT                ; the variable list, for ?REDO FROM START
FRESH   = OPMASK                ; non-zero when the source line is new

text_redo:  .byte "?REDO FROM START", 13, 0
text_extra: .byte "?EXTRA IGNORED", 13, 0
text_more:  .byte "?? ", 0

; RESTORE: READ starts again at the first DATA statement.
stmt_restore:
        bne     restore_done
do_restore:
        clc
        lda     TXTTAB
        adc     #$FF
        sta     DATPTR
        lda     TXTTAB+1
        adc     #$FF
        sta     DATPTR+1
restore_done:
        rts

; READ variable [, variable ...]
stmt_read:
        lda     #$98
        sta     INPFLG
        ldx     DATPTR
        ldy     DATPTR+1
        jsr     read_list
        lda     INPPTR                  ; read_list worked on INPPTR
        sta     DATPTR
        lda     INPPTR+1
        sta     DATPTR+1
        rts

; INPUT# file, variable [, variable ...]
stmt_input_file:
        jsr     check_direct            ; the line would overwrite a direct command
        jsr     open_input
        lda     #0                      ; no prompts from a file
        sta     INPFLG
        jsr     input_line
        jsr     input_list
        jmp     end_channel

; open_input: evaluate "file," and take input from that file (CHANNL
; non-zero while it lasts).
open_input:
        jsr     eval_byte
        jsr     chk_comma
        jsr     CHKIN
        bcc     @open
        tax
        jmp     basic_error
@open:  lda     #1
        sta     CHANNL
        rts

; INPUT ["prompt";] variable [, variable ...]
stmt_input:
        jsr     check_direct
        cmp     #'"'
        bne     @ask
        jsr     eval_expr
        jsr     print_fac_string
        lda     #';'
        jsr     chk_char
@ask:   lda     #0
        sta     INPFLG
        sta     CHANNL
        lda     TXTPTR
        sta     LISTPOS
        lda     TXTPTR+1
        sta     LISTPOS+1
input_again:
        jsr     out_question
        jsr     input_line
        lda     BUF
        bne     input_list
        jmp     skip_to_statement_end   ; nothing typed: the variables keep their values

input_list:
        ldx     INPPTR
        ldy     INPPTR+1
        jsr     read_list
        jsr     swap_source             ; anything left over?
        ldy     #0
        lda     (TXTPTR),y
        pha
        jsr     swap_source
        pla
        beq     @done
        lda     CHANNL
        bne     @done
        lda     #<text_extra
        ldy     #>text_extra
        jsr     print_string_ay
@done:  rts

; input_line: a new line into BUF as the source.
input_line:
        jsr     read_line
        stx     INPPTR
        sty     INPPTR+1
        lda     #1
        sta     FRESH
        rts

; read_list: assign values from the source at X/Y (left in INPPTR) to the
; variables listed at TXTPTR.
read_list:
        stx     SOURCE
        sty     SOURCE+1
@var:   jsr     find_variable
        jsr     swap_source
        jsr     next_value
        jsr     read_value
        bcs     @bad
        jsr     swap_source
        jsr     comma_next
        bcs     @var
@done:  rts
@bad:   bit     INPFLG
        bmi     @data
        lda     CHANNL
        beq     @redo
        ldx     #E_FILE_DATA
        jmp     basic_error
@redo:  lda     #<text_redo
        ldy     #>text_redo
        jsr     print_string_ay
        lda     LISTPOS
        sta     TXTPTR
        lda     LISTPOS+1
        sta     TXTPTR+1
        pla                             ; leave read_list: ask again
        pla
        jmp     input_again
@data:  lda     DATLIN                  ; report the DATA line
        sta     CURLIN
        lda     DATLIN+1
        sta     CURLIN+1
        jmp     syntax_error

; swap_source: exchange TXTPTR and SOURCE. Keeps A.
swap_source:
        pha
        ldx     TXTPTR
        ldy     TXTPTR+1
        lda     SOURCE
        sta     TXTPTR
        lda     SOURCE+1
        sta     TXTPTR+1
        stx     SOURCE
        sty     SOURCE+1
        pla
        rts

; next_value: leave TXTPTR just before the next value: after a separator,
; after the next DATA token, or at the start of a fresh line.
next_value:
        bit     INPFLG
        bmi     @data
        lda     FRESH
        bne     @used
        ldy     #0
        lda     (TXTPTR),y
        bne     @ok                     ; ',' or ':' separates
        lda     CHANNL                  ; line used up: ask for more
        bne     @line
        lda     #<text_more
        ldy     #>text_more
        jsr     print_string_ay
@line:  jsr     read_line
        stx     TXTPTR
        sty     TXTPTR+1
@used:  lda     #0
        sta     FRESH
@ok:    rts
@data:  ldy     #0
        lda     (TXTPTR),y
        cmp     #','
        beq     @ok
        cmp     #TOK_DATA
        beq     @ok
        cmp     #':'
        beq     @statement
@line_end:
        ldy     #2                      ; the next line, if any
        lda     (TXTPTR),y
        bne     @next_line
        ldx     #E_OUT_OF_DATA
        jmp     basic_error
@next_line:
        iny
        lda     (TXTPTR),y
        sta     DATLIN
        iny
        lda     (TXTPTR),y
        sta     DATLIN+1
        clc
        lda     TXTPTR
        adc     #4
        sta     TXTPTR
        bcc     @statement
        inc     TXTPTR+1
@statement:
        jsr     CHRGET
        cmp     #TOK_DATA
        beq     @ok
        jsr     skip_to_statement_end
        ldy     #0
        lda     (TXTPTR),y
        beq     @line_end
        bne     @statement

; read_value: read one value at TXTPTR into the variable found last
; (VARPNT, VALTYP, INTFLG). Carry set when it is not followed by ',', ':'
; or the end of the line.
read_value:
        jsr     CHRGET
        bit     VALTYP
        bmi     @text
        jsr     float_parse
        jsr     assign_variable
        jmp     @end
@text:  ldy     #0
        cmp     #'"'
        bne     @scan
        inc     TXTPTR                  ; quoted: the text starts after the quote
        bne     @quoted
        inc     TXTPTR+1
@quoted:
        lda     (TXTPTR),y
        beq     @plain
        cmp     #'"'
        beq     @plain
        iny
        bne     @quoted
@scan:  lda     (TXTPTR),y
        beq     @plain
        cmp     #','
        beq     @plain
        cmp     #':'
        beq     @plain
        iny
        bne     @scan
@plain: tya                             ; A = length; TXTPTR moves to the end
        ldx     TXTPTR
        pha
        clc
        adc     TXTPTR
        sta     TXTPTR
        lda     TXTPTR+1
        tay
        adc     #0
        sta     TXTPTR+1
        pla
        jsr     push_temp_string
        ldy     #0                      ; past a closing quote (never ends plain text)
        lda     (TXTPTR),y
        cmp     #'"'
        bne     @assign
        jsr     CHRGET
@assign:
        jsr     assign_variable
@end:   jsr     CHRGOT
        beq     @good
        cmp     #','
        beq     @good
        sec
        rts
@good:  clc
        rts
