; INPUT, INPUT#, READ, DATA pointers and RESTORE: values taken from a typed
; line, a file line or the program's DATA statements and assigned to a list
; of variables. Text items may be quoted; unquoted ones end at ',' or ':'.

.include "basic.inc"

.segment "BASIC_B3A5"

SOURCE  = INPPTR                ; where the values come from (INPPTR or DATPTR)
LISTPOS = FORPNT                ; the variable list, for ?REDO FROM START

.import print_text           ; (errors.s, with the texts' numbers)
.importzp M_QUESTION, M_MORE, M_REDO, M_EXTRA

; RESTORE: READ starts again at the first DATA statement.
stmt_restore:
        bne     restore_done
; do_restore: DATPTR = TXTTAB - 1. Clobbers A, X, Y.
do_restore:
        ldy     TXTTAB+1
        ldx     TXTTAB
        bne     @low
        dey
@low:   dex
        stx     DATPTR
        sty     DATPTR+1
restore_done:
        rts

.segment "BASIC_B853"

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

.segment "BASIC_A477"

; INPUT# file, variable [, variable ...]
stmt_input_file:
        jsr     check_direct            ; the line would overwrite a direct command
        jsr     open_input
        jsr     input_line              ; no prompts from a file
        jmp     input_list

.segment "BASIC_B3A5"

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
        sta     CHANNL
        lda     TXTPTR
        sta     LISTPOS
        lda     TXTPTR+1
        sta     LISTPOS+1
input_again:
        ldx     #M_QUESTION
        jsr     print_text
        jsr     input_line
        lda     BUF
        bne     input_list
        jmp     skip_to_statement_end   ; nothing typed: the variables keep their values

; input_list: read_list from the line input_line took, then complain about
; anything left over; a file just ends its channel.
input_list:
        jsr     read_source
        lda     CHANNL
        bne     end_channel
        ldy     #0
        lda     (SOURCE),y
        beq     @done
        ldx     #M_EXTRA
        jmp     print_text
@done:  rts

; end_channel: back to the screen and keyboard after PRINT#/INPUT#/GET#.
end_channel:
        jsr     CLRCHN
        lda     #0
        sta     CHANNL
        rts

.segment "BASIC_AE89"

; input_line: a new line into BUF as the source, for INPUT or INPUT#. The
; comma before it lets the first value start there like any other.
input_line:
        jsr     read_line
        stx     SOURCE
        sty     SOURCE+1
        lda     #','
        sta     BUF-1                   ; (above the BASIC stack, never in use)
        lda     #0
        sta     INPFLG
        rts

.segment "BASIC_A536"

; read_list: assign values from the source at X/Y (left in INPPTR) to the
; variables listed at TXTPTR. read_source: from the source already in INPPTR.
read_list:
        stx     SOURCE
        sty     SOURCE+1
read_source:
@var:   jsr     find_variable
        jsr     swap_source
        jsr     next_value
        jsr     read_value
        bne     @bad
        jsr     swap_source
        jsr     comma_next
        bcs     @var
        rts
@bad:   bit     INPFLG
        bmi     @data
        lda     CHANNL
        beq     @redo
        ldx     #E_FILE_DATA
        jmp     basic_error
@redo:  ldx     #M_REDO
        jsr     print_text
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

.segment "BASIC_B394"

; swap_source: exchange TXTPTR and SOURCE. Clobbers A, X, Y; keeps carry.
swap_source:
        ldx     #1
@swap:  lda     TXTPTR,x
        ldy     SOURCE,x
        sta     SOURCE,x
        sty     TXTPTR,x
        dex
        bpl     @swap
        rts

.segment "BASIC_B7FF"

; next_value: leave TXTPTR just before the next value: at a separator,
; at the next DATA token, or before a fresh line.
next_value:
        ldy     #0
        lda     (TXTPTR),y
        bit     INPFLG
        bmi     @data
        tax
        bne     @ok                     ; ',' or ':' separates
        lda     CHANNL                  ; line used up: ask for more
        bne     @line
        ldx     #M_MORE
        jsr     print_text
@line:  jsr     read_line
        stx     TXTPTR
        sty     TXTPTR+1
@ok:    rts
@data:  cmp     #','                     ; (READ never leaves it at a DATA token)
        beq     @ok
@seek:  jsr     skip_to_statement_end
        ldy     #0
        lda     (TXTPTR),y
        bne     @statement              ; a ':'
        ldy     #2                      ; the line's end: the next line, if any
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
        tya                             ; TXTPTR += 4: before the line's text
        clc
        adc     TXTPTR
        sta     TXTPTR
        bcc     @statement
        inc     TXTPTR+1
@statement:
        jsr     CHRGET
        cmp     #TOK_DATA
        bne     @seek
        rts

.segment "BASIC_AE89"

; read_value: read one value at TXTPTR into the variable found last
; (VARPNT, VALTYP, INTFLG). Z clear when it is not followed by ',', ':'
; or the end of the line.
read_value:
        jsr     CHRGET
        bit     VALTYP
        bmi     @text
        jsr     float_parse
        jmp     @assign
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
        pha
        ldx     TXTPTR
        ldy     TXTPTR+1
        clc
        adc     TXTPTR
        sta     TXTPTR
        bcc     @same
        inc     TXTPTR+1
@same:  pla
        jsr     push_temp_string
        jsr     CHRGOT                  ; past a closing quote (never ends plain text)
        cmp     #'"'
        bne     @assign
        jsr     CHRGET
@assign:
        jsr     assign_variable
        jsr     CHRGOT
        beq     @done
        cmp     #','
@done:  rts
