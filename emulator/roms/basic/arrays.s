; Arrays between ARYTAB and STREND. Each: two name bytes (as for simple
; variables), the offset to the next array, the number of dimensions, the
; size of each dimension (high byte first, the last dimension first), then
; the elements with the first subscript varying fastest: 5 bytes real,
; 2 integer (high first), 3 string descriptor. An array used before DIM gets
; size 11 in every dimension.

.include "basic.inc"

.segment "BASIC_AB21"

ARRAY   = INDEX2                ; the array being searched or built
ELEMSZ  = DSCPNT+2
MULB    = RESHO+2
PRODUCT = FPTEMP2

stmt_dim:
@loop:  lda     #$FF
        sta     DIMFLG
        jsr     find_variable
        lda     #0
        sta     DIMFLG
        jsr     comma_next
        bcs     @loop
@done:  rts

; find_array: reached from find_variable with the '(' current.
find_array:
        lda     DIMFLG
        pha
        lda     INTFLG
        pha
        lda     VALTYP
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
        jsr     fac_to_int16
        cmp     #$80
        bcc     @positive
        jmp     illegal_quantity
@positive:
        sta     CHARAC
        pla
        tax
        lda     CHARAC
        pha
        tya
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
        tax
        lda     $0101,x
        sta     VARNAM
        lda     $0102,x
        sta     VARNAM+1
        lda     $0103,x
        sta     VALTYP
        lda     $0104,x
        sta     INTFLG
        lda     $0105,x
        sta     DIMFLG
        lda     #5                      ; element size
        bit     INTFLG
        bpl     @not_int
        lda     #2
@not_int:
        bit     VALTYP
        bpl     @size
        lda     #3
@size:  sta     ELEMSZ
        ; look for the array
        lda     ARYTAB
        ldx     ARYTAB+1
@search:
        sta     ARRAY
        stx     ARRAY+1
        cpx     STREND+1
        bne     @compare
        cmp     STREND
        beq     @create
@compare:
        ldy     #0
        lda     (ARRAY),y
        cmp     VARNAM
        bne     @next
        iny
        lda     (ARRAY),y
        cmp     VARNAM+1
        beq     @found
@next:  ldy     #2
        lda     (ARRAY),y
        clc
        adc     ARRAY
        pha
        iny
        lda     (ARRAY),y
        adc     ARRAY+1
        tax
        pla
        jmp     @search
@found: lda     DIMFLG
        beq     @dims
        ldx     #E_REDIMD_ARRAY
        jmp     basic_error
@dims:  ldy     #4
        lda     (ARRAY),y
        cmp     COUNT
        beq     @element
        jmp     bad_subscript
@create:
        jsr     create_array
        lda     DIMFLG
        beq     @element
        jmp     @finish                 ; DIM only creates
@element:
        ; offset = sub(0) + size(0) * 0 ... from the last dimension (j = 0)
        lda     #0
        sta     RESHO
        sta     RESHO+1
        ldy     #5                      ; header offset of size(j)
        tsx
@dim:   lda     RESHO                   ; offset = offset * size(j) + sub(j)
        ora     RESHO+1
        beq     @add                    ; (nothing to multiply yet)
        lda     (ARRAY),y
        sta     MULB+1
        iny
        lda     (ARRAY),y
        sta     MULB
        dey
        jsr     mul16
@add:   iny                             ; sub(j) < size(j)
        lda     $0101,x
        cmp     (ARRAY),y
        dey
        lda     $0102,x
        sbc     (ARRAY),y
        bcc     @in_range
        jmp     bad_subscript
@in_range:
        clc
        lda     $0101,x
        adc     RESHO
        sta     RESHO
        lda     $0102,x
        adc     RESHO+1
        sta     RESHO+1
        inx
        inx
        iny
        iny
        dec     COUNT
        bne     @dim
        ; VARPNT = ARRAY + header (Y) + offset * element size
        sty     CHARAC
        lda     ELEMSZ
        sta     MULB
        lda     #0
        sta     MULB+1
        jsr     mul16
        clc
        lda     RESHO
        adc     CHARAC
        sta     RESHO
        bcc     @base
        inc     RESHO+1
@base:  clc
        lda     RESHO
        adc     ARRAY
        sta     VARPNT
        lda     RESHO+1
        adc     ARRAY+1
        sta     VARPNT+1
@finish:
        ; drop the subscripts and the saved name, keeping the return address
        ldy     #4
        lda     (ARRAY),y
        asl     a
        clc
        adc     #5
        sta     CHARAC
        tsx
        txa
        clc
        adc     CHARAC
        tax
        txs
        rts

; create_array: build the array VARNAM at STREND with COUNT dimensions
; whose subscripts (the sizes minus one, or 10 without DIM) are on the
; stack at $0103+X of the caller. Leaves ARRAY at it.
create_array:
        lda     STREND
        sta     ARRAY
        lda     STREND+1
        sta     ARRAY+1
        lda     ELEMSZ                  ; bytes = element size * every size
        sta     RESHO
        lda     #0
        sta     RESHO+1
        lda     COUNT
        asl     a
        adc     #5
        sta     CHARAC                  ; header length
        tsx
        ldy     #5
@size:  lda     DIMFLG
        bne     @given
        lda     #11
        sta     MULB
        lda     #0
        sta     MULB+1
        beq     @store
@given: clc
        lda     $0103,x
        adc     #1
        sta     MULB
        lda     $0104,x
        adc     #0
        sta     MULB+1
        bcc     @store
        jmp     out_of_memory
@store: lda     MULB+1
        sta     (ARRAY),y
        iny
        lda     MULB
        sta     (ARRAY),y
        iny
        jsr     mul16
        inx
        inx
        cpy     CHARAC
        bcc     @size
        clc                             ; total = elements + header
        lda     RESHO
        adc     CHARAC
        sta     RESHO
        bcc     @total
        inc     RESHO+1
        beq     out_of_memory
@total: clc
        lda     ARRAY
        adc     RESHO
        tax
        lda     ARRAY+1
        adc     RESHO+1
        tay
        bcs     out_of_memory
        jsr     check_memory
        stx     STREND
        sty     STREND+1
        ldy     #0
        lda     VARNAM
        sta     (ARRAY),y
        iny
        lda     VARNAM+1
        sta     (ARRAY),y
        iny
        lda     RESHO
        sta     (ARRAY),y
        iny
        lda     RESHO+1
        sta     (ARRAY),y
        iny
        lda     COUNT
        sta     (ARRAY),y
        ; clear the elements
        clc
        lda     ARRAY
        adc     CHARAC
        sta     INDEX1
        lda     ARRAY+1
        adc     #0
        sta     INDEX1+1
        ldy     #0
@clear: lda     INDEX1
        cmp     STREND
        bne     @zero
        lda     INDEX1+1
        cmp     STREND+1
        beq     @done
@zero:  tya
        sta     (INDEX1),y
        inc     INDEX1
        bne     @clear
        inc     INDEX1+1
        bne     @clear
@done:  rts

out_of_memory:
        ldx     #E_OUT_OF_MEMORY
        jmp     basic_error

bad_subscript:
        ldx     #E_BAD_SUBSCRIPT
        jmp     basic_error

; mul16: RESHO = RESHO * MULB (16 bits); ?OUT OF MEMORY on overflow.
; Keeps X and Y.
mul16:
        txa
        pha
        lda     #0
        sta     PRODUCT
        sta     PRODUCT+1
        ldx     #16
@loop:  asl     PRODUCT
        rol     PRODUCT+1
        bcs     @over
        asl     MULB
        rol     MULB+1
        bcc     @skip
        clc
        lda     PRODUCT
        adc     RESHO
        sta     PRODUCT
        lda     PRODUCT+1
        adc     RESHO+1
        sta     PRODUCT+1
        bcs     @over
@skip:  dex
        bne     @loop
        lda     PRODUCT
        sta     RESHO
        lda     PRODUCT+1
        sta     RESHO+1
        pla
        tax
        rts
@over:  jmp     out_of_memory
