; Arrays between ARYTAB and STREND. Each: two name bytes (as for simple
; variables), the offset to the next array, the number of dimensions, the
; size of each dimension (high byte first, the last dimension first), then
; the elements with the first subscript varying fastest: 5 bytes real,
; 2 integer (high first), 3 string descriptor. An array used before DIM gets
; size 11 in every dimension.

.include "basic.inc"

.segment "BASIC_BFF0"

ARRAY   = INDEX2                ; the array being searched or built
ELEMSZ  = DSCPNT+2
MULB    = RESHO+2
PRODUCT = FPTEMP2

.export seek                    ; (for the simple variables)

stmt_dim:
@loop:  lda     #$FF
        sta     DIMFLG
        jsr     find_variable
        inc     DIMFLG                  ; (find_variable keeps it: $FF, now 0)
        jsr     comma_next
        bcs     @loop
        rts

.segment "BASIC_B3A5"

; seek: INDEX2 = the first record named VARNAM among the simple variables
; (X = 0: 7 bytes each, from VARTAB up to ARYTAB) or the arrays (X = 2:
; each holding its length, from ARYTAB up to STREND); carry set when there
; is none. Keeps X.
seek:   lda     VARTAB,x
        sta     INDEX2
        lda     VARTAB+1,x
        sta     INDEX2+1
@loop:  lda     INDEX2
        cmp     ARYTAB,x
        lda     INDEX2+1
        sbc     ARYTAB+1,x
        bcs     @done
        ldy     #0
        lda     (INDEX2),y
        cmp     VARNAM
        bne     @next
        iny
        lda     (INDEX2),y
        cmp     VARNAM+1
        clc
        beq     @done
@next:  txa                             ; the step: 7, or the array's length
        bne     @array
        lda     #7
        clc
        adc     INDEX2
        sta     INDEX2
        bcc     @loop
        inc     INDEX2+1
        bcs     @loop                   ; (always)
@array: ldy     #2
        lda     (INDEX2),y
        pha
        iny
        lda     (INDEX2),y
        tay
        pla
        clc
        adc     INDEX2
        sta     INDEX2
        tya
        adc     INDEX2+1
        sta     INDEX2+1
        bcc     @loop                   ; (always)
@done:  rts

.segment "BASIC_ADA1"

; find_array: reached from find_variable or element_variable with the '('
; current; returns with the carry clear. The
; subscripts go on the stack (high byte first, the last one on top) above
; the name and types, which the subscripts' own arrays would overwrite.
find_array:
        lda     DIMFLG
        pha
        lda     VALTYP
        pha
        lda     INTFLG
        pha
        lda     VARNAM+1
        pha
        lda     VARNAM
        pha
        lda     #0                      ; the number of subscripts, kept on top
        pha
@subscript:
        lda     #16
        jsr     check_stack
        jsr     CHRGET
        jsr     eval_numeric
        jsr     fac_to_int16            ; (also left in FACHO+2/FACHO+3)
        tax                             ; (the sign of the high byte)
        bpl     @positive
        jmp     illegal_quantity
@positive:
        pla
        tax
        lda     FACHO+3
        pha
        lda     FACHO+2
        pha
        inx
        txa
        pha
        jsr     CHRGOT
        cmp     #','
        beq     @subscript
        jsr     chk_close
        pla
        sta     COUNT
        tsx                             ; the name and types under the subscripts
        txa
        clc
        adc     COUNT
        adc     COUNT
        tay
        lda     $0101,y
        sta     VARNAM
        lda     $0102,y
        sta     VARNAM+1
        ldx     #2                      ; INTFLG, VALTYP, DIMFLG
@types: lda     $0103,y
        sta     DIMFLG,x
        iny
        dex
        bpl     @types
        lda     #5                      ; element size
        bit     INTFLG
        bpl     @not_int
        lda     #2
@not_int:
        bit     VALTYP
        bpl     @size
        lda     #3
@size:  sta     ELEMSZ
        ldx     #2                      ; look for the array
        jsr     seek
        bcc     @found
@create:
        jsr     create_array
        lda     DIMFLG
        beq     @element
        bne     @finish                 ; DIM only creates
@found: lda     DIMFLG
        beq     @dims
        ldx     #E_REDIMD_ARRAY
        jmp     basic_error
@dims:  ldy     #4
        lda     (ARRAY),y
        cmp     COUNT
        bne     @bad
@element:
        ; offset = offset * size(j) + sub(j), from the last dimension (j = 0)
        lda     #0
        sta     RESHO
        sta     RESHO+1
        ldy     #5                      ; header offset of size(j)
        tsx
@dim:   lda     (ARRAY),y
        sta     MULB+1
        iny
        lda     (ARRAY),y
        sta     MULB
        lda     $0102,x                 ; sub(j) < size(j)
        sta     PRODUCT
        cmp     MULB
        lda     $0101,x
        sta     PRODUCT+1
        sbc     MULB+1
        bcs     @bad
        jsr     mul_add
        inx
        inx
        iny
        dec     COUNT
        bne     @dim
        ; VARPNT = ARRAY + offset * element size + header (Y)
        sty     PRODUCT
        lda     #0
        sta     PRODUCT+1
        sta     MULB+1
        lda     ELEMSZ
        sta     MULB
        jsr     mul_add
        clc
        lda     RESHO
        adc     ARRAY
        sta     VARPNT
        lda     RESHO+1
        adc     ARRAY+1
        sta     VARPNT+1
@finish:
        ; drop the subscripts and the saved name, keeping the return address
        ; (the sum never passes $FF: the carry ends clear)
        ldy     #4
        tsx
        txa
        sec                             ; + 2 * dimensions + 5
        adc     (ARRAY),y
        adc     (ARRAY),y
        adc     #4
        tax
        txs
        rts
@bad:   jmp     bad_subscript

.segment "BASIC_BA2B"

; create_array: build the array VARNAM at STREND with COUNT dimensions
; whose subscripts are on the stack at $0103+X of the caller (with DIM
; they are turned into the sizes there). Leaves ARRAY at it. Nothing is
; written before the whole array is known to fit.
create_array:
        lda     ELEMSZ                  ; bytes = element size * every size
        sta     RESHO
        lda     #0
        sta     RESHO+1
        tsx
        ldy     COUNT
@size:  lda     #0                      ; 11 without DIM
        sta     MULB+1
        lda     #11
        sta     MULB
        lda     DIMFLG
        beq     @mul
        inc     $0104,x                 ; the subscript + 1 (at most $8000)
        bne     @given
        inc     $0103,x
@given: lda     $0104,x
        sta     MULB
        lda     $0103,x
        sta     MULB+1
@mul:   jsr     mul16
        inx
        inx
        dey
        bne     @size
        lda     COUNT                   ; + the header
        asl     a
        adc     #5
        sta     CHARAC
        adc     RESHO
        sta     RESHO
        bcc     @total
        inc     RESHO+1
        beq     out_of_memory
@total: clc
        lda     STREND
        adc     RESHO
        tax
        lda     STREND+1
        adc     RESHO+1
        tay
        bcs     out_of_memory
        jsr     check_memory
        lda     STREND
        sta     ARRAY
        sta     INDEX1
        lda     STREND+1
        sta     ARRAY+1
        sta     INDEX1+1
        stx     STREND
        sty     STREND+1
        ldy     #0                      ; clear it all
@clear: tya
        sta     (INDEX1),y
        inc     INDEX1
        bne     @more
        inc     INDEX1+1
@more:  lda     INDEX1
        cmp     STREND
        bne     @clear
        lda     INDEX1+1
        cmp     STREND+1
        bne     @clear
        ldy     #4                      ; name, offset to the next, dimensions
@header:
        ldx     header_bytes,y
        lda     0,x
        sta     (ARRAY),y
        dey
        bpl     @header
        tsx                             ; the sizes
        ldy     #5
@sizes: lda     DIMFLG
        beq     @eleven
        lda     $0103,x
        sta     (ARRAY),y
        lda     $0104,x
        .byte   $2C                     ; (BIT abs: skips the lda #11)
@eleven:
        lda     #11                     ; (the high byte is zero already)
        iny
        sta     (ARRAY),y
        iny
        inx
        inx
        cpy     CHARAC
        bcc     @sizes
        rts

header_bytes:
        .byte   VARNAM, VARNAM+1, RESHO, RESHO+1, COUNT

out_of_memory:
        ldx     #E_OUT_OF_MEMORY
        jmp     basic_error

bad_subscript:
        ldx     #E_BAD_SUBSCRIPT
        jmp     basic_error

; mul16: RESHO = RESHO * MULB (16 bits); mul_add: RESHO = RESHO * MULB +
; PRODUCT. The loop ends once RESHO has no bits left, so the first
; subscript (times an offset of zero) and the element length take a few
; steps, not 16. ?OUT OF MEMORY on overflow. Keeps X, Y; clobbers MULB.
mul16:  lda     #0
        sta     PRODUCT
        sta     PRODUCT+1
mul_add:
@loop:  lsr     RESHO+1                 ; RESHO's bits, lowest first, pick
        ror     RESHO                   ; MULB times their power of two
        bcc     @shift
        clc
        lda     PRODUCT
        adc     MULB
        sta     PRODUCT
        lda     PRODUCT+1
        adc     MULB+1
        sta     PRODUCT+1
        bcs     out_of_memory
@shift: asl     MULB
        rol     MULB+1
        lda     RESHO
        ora     RESHO+1
        beq     @done
        bcc     @loop
        bcs     out_of_memory           ; (a bit of RESHO is left for it)
@done:  lda     PRODUCT
        sta     RESHO
        lda     PRODUCT+1
        sta     RESHO+1
        rts
