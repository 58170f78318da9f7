; Error reporting: the message table (with BASIC's other texts, packed as
; 5-bit codes), the default IERROR handler ($E38B) and the READY. prompt.
; An error closes any CMD channel, prints "?message  ERROR" (with " IN n"
; while a program runs) and returns to the main loop; error number $80
; means no message, only READY.

.include "basic.inc"

.export print_text
.exportzp M_QUESTION, M_MORE, M_REDO, M_EXTRA, M_OK

.segment "BASIC"

; syntax_error, illegal_quantity, type_mismatch: raise that error.
syntax_error:
        ldx     #E_SYNTAX
        .byte   $2C                     ; (skip the next instruction)
illegal_quantity:
        ldx     #E_ILLEGAL_QUANTITY
        .byte   $2C
type_mismatch:
        ldx     #E_TYPE_MISMATCH
        jmp     basic_error

.segment "BASIC_AF0B"

; error_handler: the default IERROR target (reached through the jump at
; $E38B). X = error number.
error_handler:
        txa
        bmi     ready
        clc                             ; the error messages follow the other texts
        adc     #M_ERRORS
        sta     FOUR6
        jsr     end_channel
        jsr     new_line_if_needed
        ldx     FOUR6
        cpx     #E_BREAK + M_ERRORS
        php                             ; (Z: a break, which has no "?" and can be continued)
        beq     @message
        lda     #'?'
        jsr     CHROUT
@message:
        jsr     print_text
        plp
        beq     @where
        ldx     #M_ERROR
        jsr     print_text
        lda     #0
        sta     OLDTXT+1                ; nothing to CONT into after an error
@where:
        ldy     CURLIN+1
        iny
        beq     @done                   ; direct mode: no line number
        ldx     #M_IN
        jsr     print_text
        lda     CURLIN+1
        ldx     CURLIN
        jsr     print_uint16
@done:  jsr     out_cr
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
        ldx     #M_READY
        jsr     print_text
        lda     #DIRECT_MODE
        sta     CURLIN+1
        lda     #$80                    ; the KERNAL's LOAD/SAVE messages, as typed
        jsr     SETMSG
        jmp     main_loop

.segment "BASIC"

; new_line_if_needed: print a carriage return unless the cursor is at the
; start of a line. Clobbers A.
new_line_if_needed:
        lda     PNTR                    ; the cursor column, as PLOT reads it
        beq     @done
        jmp     out_cr
@done:  rts

BITBUF  = INDEX+2               ; message bits not yet used, above a marker bit

.segment "BASIC_AF0B"

; print_text: print message X (1-based, M_xxx) of error_messages. The
; messages are packed as 5-bit codes, high bits first: 1-26 are A-Z, 27-31
; the characters in specials and 0 ends a message. Clobbers A, X, Y and
; INDEX to INDEX+2.
print_text:
        ldy     #<error_messages        ; (INDEX),Y walks the packed bytes
        lda     #>error_messages
        sta     INDEX+1
        lda     #0
        sta     INDEX
        sta     BITBUF                  ; empty: the first code loads a byte
@next:  jsr     @code
        bne     @char
        dex                             ; the end of a message
        bne     @next
        ; fall through: reading one code more does no harm
@code:  lda     #$08                    ; five shifts move this bit into carry
@bit:   asl     BITBUF
        bne     @shift
        pha                             ; all used: the next byte
        lda     (INDEX),y
        iny
        bne     @same
        inc     INDEX+1
@same:  sec                             ; its top bit now, a marker bit below the rest
        rol     a
        sta     BITBUF
        pla
@shift: rol     a
        bcc     @bit
        rts
@char:  cpx     #1
        bne     @next                   ; not there yet
        ora     #$40                    ; 1-26: the letters
        cmp     #$5B
        bcc     @put
        tax
        lda     specials-$5B,x
        ldx     #1
@put:   jsr     CHROUT
        jmp     @next

.segment "BASIC_E38E"

specials:
        .byte   " ", "'", "?", ".", 13

; message "TEXT": append TEXT and the end code to the packed bit stream;
; flush_messages writes out the last bits.
PACKED  .set    0                       ; bits not yet written
NPACKED .set    0                       ; how many

.macro  pack_code code
        PACKED  .set    (PACKED << 5) | (code)
        NPACKED .set    NPACKED + 5
    .if NPACKED >= 8
        .byte   (PACKED >> (NPACKED - 8)) & $FF
        NPACKED .set    NPACKED - 8
        PACKED  .set    PACKED & ((1 << NPACKED) - 1)
    .endif
.endmacro

.macro  message text
    .repeat .strlen(text), i
      .if .strat(text, i) = ' '
        pack_code 27
      .elseif .strat(text, i) = $27
        pack_code 28
      .elseif .strat(text, i) = '?'
        pack_code 29
      .elseif .strat(text, i) = '.'
        pack_code 30
      .elseif .strat(text, i) = '|'
        pack_code 31
      .else
        .assert .strat(text, i) >= 'A' && .strat(text, i) <= 'Z', error, "no code for this character"
        pack_code {.strat(text, i) - $40}
      .endif
    .endrepeat
        pack_code 0
.endmacro

.macro  flush_messages
    .if NPACKED > 0
        .byte   (PACKED << (8 - NPACKED)) & $FF
    .endif
.endmacro

; the texts of INPUT, LOAD and the error report, then the messages for
; error numbers 1 to 30, in order ("|" stands for a carriage return)

error_messages:
M_READY = 1
        message "READY.|"
M_QUESTION = 2
        message "? "
M_MORE  = 3
        message "?? "
M_REDO  = 4
        message "?REDO FROM START|"
M_EXTRA = 5
        message "?EXTRA IGNORED|"
M_OK    = 6
        message "|OK|"
M_ERROR = 7
        message "  ERROR"
M_IN    = 8
        message " IN "
M_ERRORS = 8                            ; message number = error number + M_ERRORS
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
        flush_messages
