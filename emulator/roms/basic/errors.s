; Error reporting: the message table, the default IERROR handler ($E38B) and
; the READY. prompt. An error closes any CMD channel, prints
; "?message  ERROR" (with " IN n" while a program runs) and returns to the
; main loop; error number $80 means no message, only READY.

.include "basic.inc"

.segment "BASIC_E38E"

; basic_error: raise error X through the IERROR vector.
basic_error:
        jmp     (IERROR)

syntax_error:
        ldx     #E_SYNTAX
        jmp     (IERROR)

illegal_quantity:
        ldx     #E_ILLEGAL_QUANTITY
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
        php
        inc     INDEX
        bne     @same
        inc     INDEX+1
@same:  plp
        bne     @scan
        beq     @skip
@print: lda     INDEX
        ldy     INDEX+1
        jsr     print_string_ay
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

; the messages for error numbers 1 to 30, in order, each ending in a zero
error_messages:
msg_too_many_files:     .byte "TOO MANY FILES", 0
msg_file_open:          .byte "FILE OPEN", 0
msg_file_not_open:      .byte "FILE NOT OPEN", 0
msg_file_not_found:     .byte "FILE NOT FOUND", 0
msg_device_not_present: .byte "DEVICE NOT PRESENT", 0
msg_not_input_file:     .byte "NOT INPUT FILE", 0
msg_not_output_file:    .byte "NOT OUTPUT FILE", 0
msg_missing_file_name:  .byte "MISSING FILE NAME", 0
msg_illegal_device:     .byte "ILLEGAL DEVICE NUMBER", 0
msg_next_without_for:   .byte "NEXT WITHOUT FOR", 0
msg_syntax:             .byte "SYNTAX", 0
msg_return_without_gosub: .byte "RETURN WITHOUT GOSUB", 0
msg_out_of_data:        .byte "OUT OF DATA", 0
msg_illegal_quantity:   .byte "ILLEGAL QUANTITY", 0
msg_overflow:           .byte "OVERFLOW", 0
msg_out_of_memory:      .byte "OUT OF MEMORY", 0
msg_undefd_statement:   .byte "UNDEF'D STATEMENT", 0
msg_bad_subscript:      .byte "BAD SUBSCRIPT", 0
msg_redimd_array:       .byte "REDIM'D ARRAY", 0
msg_division_by_zero:   .byte "DIVISION BY ZERO", 0
msg_illegal_direct:     .byte "ILLEGAL DIRECT", 0
msg_type_mismatch:      .byte "TYPE MISMATCH", 0
msg_string_too_long:    .byte "STRING TOO LONG", 0
msg_file_data:          .byte "FILE DATA", 0
msg_formula_too_complex: .byte "FORMULA TOO COMPLEX", 0
msg_cant_continue:      .byte "CAN'T CONTINUE", 0
msg_undefd_function:    .byte "UNDEF'D FUNCTION", 0
msg_verify:             .byte "VERIFY", 0
msg_load:               .byte "LOAD", 0
msg_break:              .byte "BREAK", 0
