; Small syntax helpers shared by the statements: expected characters,
; skipping to the end of a statement or line, stack room, direct mode.

.include "basic.inc"

.segment "BASIC_AEF7"

; chk_close / chk_open / chk_comma / chk_char: the current character must be
; ')' / '(' / ',' / A, else ?SYNTAX ERROR; then CHRGET past it. The C64's
; $AEF7 / $AEFA / $AEFD / $AEFF.
chk_close:
        lda     #')'
        .byte   $2C                     ; (skips the next lda)
chk_open:
        lda     #'('
        .byte   $2C
chk_comma:
        lda     #','
chk_char:
        ldy     #0
        cmp     (TXTPTR),y
        bne     @bad
        jmp     CHRGET
@bad:   jmp     syntax_error

.assert chk_close = $AEF7, error, "')' check must be at $AEF7"
.assert chk_open = $AEFA, error, "'(' check must be at $AEFA"
.assert chk_comma = $AEFD, error, "',' check must be at $AEFD"
.assert chk_char = $AEFF, error, "character check must be at $AEFF"

.segment "BASIC_E38E"

; skip_to_statement_end: TXTPTR to the ':' (outside quotes) or zero that ends
; this statement. skip_to_line_end: TXTPTR to the zero ending the line.
; Clobbers A, X, Y.
skip_to_statement_end:
        ldx     #':'
        .byte   $2C                     ; (skips the next ldx)
skip_to_line_end:
        ldx     #0
skip_to:
        stx     CHARAC
        ldy     #0
        beq     @test
@quoted:
        iny                             ; inside quotes only the zero counts
        lda     (TXTPTR),y
        beq     txtptr_add_y
        cmp     #'"'
        bne     @quoted
@next:  iny
@test:  lda     (TXTPTR),y
        beq     txtptr_add_y
        cmp     #'"'
        beq     @quoted
        cmp     CHARAC
        bne     @next
; txtptr_add_y: TXTPTR += Y. Keeps X, Y.
txtptr_add_y:
        tya
        clc
        adc     TXTPTR
        sta     TXTPTR
        bcc     @same
        inc     TXTPTR+1
@same:  rts

.segment "BASIC"

; check_stack: ?OUT OF MEMORY unless A more bytes fit on the stack above
; the area BASIC keeps for number text (64 bytes, where the C64 keeps 62 and
; asks for twice its A: the callers' A follow the C64's). Clobbers A, X.
check_stack:
        clc
        adc     #$40
        sta     CHARAC
        tsx
        cpx     CHARAC
        bcc     @full
        rts
@full:  jmp     out_of_memory

.segment "BASIC_E38E"

; check_direct: ?ILLEGAL DIRECT in direct mode. Clobbers X.
check_direct:
        ldx     CURLIN+1
        inx
        bne     @ok
        ldx     #E_ILLEGAL_DIRECT
        jmp     basic_error
@ok:    rts

.segment "BASIC"

; comma_next: when a comma follows, step past it and return with carry set;
; otherwise carry clear. A = the character now current; keeps X, Y.
comma_next:
        jsr     CHRGOT
        cmp     #','
        clc
        bne     @done
        jsr     CHRGET
        sec
@done:  rts
