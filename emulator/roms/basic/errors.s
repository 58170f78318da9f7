; Error reporting: the message table, the default IERROR handler ($E38B) and
; the READY. prompt. An error closes any CMD channel, prints
; "?message  ERROR" (with " IN n" while a program runs) and returns to the
; main loop; error number $80 means no message, only READY.

.include "basic.inc"

.segment "BASIC_E38E"

; basic_error: raise error X through the IERROR vector.
basic_error:
        jmp     (IERROR)

type_mismatch:
        ldx     #E_TYPE_MISMATCH
        jmp     (IERROR)

; error_handler: the default IERROR target (reached through the jump at
; $E38B). X = error number.
error_handler:
        txa
        bmi     ready
        stx     FOUR6
        jsr     CLRCHN
        lda     #0
        sta     CHANNL
        jsr     new_line_if_needed
        ldx     FOUR6
        cpx     #E_BREAK
        beq     @message
        lda     #'?'
        jsr     CHROUT
@message:
        lda     #<error_messages        ; skip to message X (1-based)
        sta     INDEX
        lda     #>error_messages
        sta     INDEX+1
@skip:  dex
        beq     @print
@scan:  ldy     #0
        lda     (INDEX),y
        inc     INDEX
        bne     @same
        inc     INDEX+1
@same:  tay                             ; the flags of the byte again
        bpl     @scan
        bmi     @skip
@print: ldy     #0
@char:  lda     (INDEX),y
        pha
        and     #$7F
        jsr     CHROUT
        iny
        pla
        bpl     @char
        ldx     FOUR6
        cpx     #E_BREAK
        beq     @where                  ; a break can be continued
        lda     #<text_error
        ldy     #>text_error
        jsr     print_string_ay
        lda     #0
        sta     OLDTXT+1                ; nothing to CONT into after an error
@where:
        ldy     CURLIN+1
        iny
        beq     @done                   ; direct mode: no line number
        lda     #<text_in
        ldy     #>text_in
        jsr     print_string_ay
        lda     CURLIN+1
        ldx     CURLIN
        jsr     print_uint16
@done:  lda     #13
        jsr     CHROUT
        ; fall through

; ready: print READY. and enter the main loop in direct mode.
ready:
        ldx     #$FA
        txs
        lda     #0
        sta     DIMFLG
        sta     SUBFLG
        lda     #TEMPST
        sta     TEMPPT
        jsr     new_line_if_needed
        lda     #<text_ready
        ldy     #>text_ready
        jsr     print_string_ay
        lda     #DIRECT_MODE
        sta     CURLIN+1
        lda     #$80                    ; the KERNAL's LOAD/SAVE messages, as typed
        jsr     SETMSG
        jmp     main_loop

.segment "BASIC_HI"

syntax_error:
        ldx     #E_SYNTAX
        jmp     (IERROR)

illegal_quantity:
        ldx     #E_ILLEGAL_QUANTITY
        jmp     (IERROR)

; new_line_if_needed: print a carriage return unless the cursor is at the
; start of a line. Clobbers A, X, Y.
new_line_if_needed:
        sec
        jsr     PLOT
        tya
        beq     @done
        lda     #13
        jsr     CHROUT
@done:  rts

.segment "BASIC_A7B1"

text_error: .byte "  ERROR", 0
text_in:    .byte " IN ", 0
text_ready: .byte "READY.", 13, 0

.segment "BASIC_HI"

; the messages for error numbers 1 to 30, in order, the last letter of each
; with bit 7 set
.macro message text
        .repeat .strlen(text) - 1, i
        .byte   .strat(text, i)
        .endrepeat
        .byte   .strat(text, .strlen(text) - 1) | $80
.endmacro

error_messages:
        message "TOO MANY FILES"
        message "FILE OPEN"
        message "FILE NOT OPEN"
        message "FILE NOT FOUND"
        message "DEVICE NOT PRESENT"
        message "NOT INPUT FILE"
        message "NOT OUTPUT FILE"
        message "MISSING FILE NAME"
        message "ILLEGAL DEVICE NUMBER"
        message "NEXT WITHOUT FOR"
        message "SYNTAX"
        message "RETURN WITHOUT GOSUB"
        message "OUT OF DATA"
        message "ILLEGAL QUANTITY"
        message "OVERFLOW"
        message "OUT OF MEMORY"
        message "UNDEF'D STATEMENT"
        message "BAD SUBSCRIPT"
        message "REDIM'D ARRAY"
        message "DIVISION BY ZERO"
        message "ILLEGAL DIRECT"
        message "TYPE MISMATCH"
        message "STRING TOO LONG"
        message "FILE DATA"
        message "FORMULA TOO COMPLEX"
        message "CAN'T CONTINUE"
        message "UNDEF'D FUNCTION"
        message "VERIFY"
        message "LOAD"
        message "BREAK"
