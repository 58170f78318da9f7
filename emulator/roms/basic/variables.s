; Simple variables: finding and creating them, reading them into FAC, LET,
; and the special variables TI, TI$ and ST. A variable is 7 bytes between
; VARTAB and ARYTAB: two name bytes (bit 7 of both set for an integer, of
; the second alone for a string, of the first alone for FN) and five bytes
; of value (a packed float, an integer high byte first, or a string
; descriptor: length and address).

.include "basic.inc"

.segment "BASIC_AE89"

STRDSC  = FACHO+2

; find_variable: parse the name at the current character (an array element
; when '(' follows) and set VARNAM, VARPNT (address of the value), VALTYP
; and INTFLG; a simple variable that does not exist yet is created.
; Clobbers A, X, Y.
find_variable:
        jsr     parse_name
        cmp     #'('
        bne     find_simple
        bit     SUBFLG
        bmi     find_simple             ; DEF's parameter: never an array
        jmp     find_array

; parse_name: read the variable name at the current character into VARNAM
; (with its type bits), VALTYP and INTFLG; returns the next character.
parse_name:
        ldx     #0
        stx     VALTYP
        stx     INTFLG
        stx     VARNAM+1
        ldy     #0
        lda     (TXTPTR),y
        jsr     is_letter
        bcs     @bad
        sta     VARNAM
        jsr     CHRGET
        bcc     @second                 ; a digit
        jsr     is_letter
        bcs     @suffix
@second:
        sta     VARNAM+1
@more:  jsr     CHRGET                  ; further letters and digits do not count
        bcc     @more
        jsr     is_letter
        bcc     @more
@suffix:
        cmp     #'$'
        bne     @not_string
        lda     #$FF
        sta     VALTYP
        lda     VARNAM+1
        ora     #$80
        sta     VARNAM+1
        jmp     CHRGET
@not_string:
        cmp     #'%'
        bne     @kind
        lda     SUBFLG
        bne     @bad                    ; no integer loop or FN variables
        lda     #$80
        sta     INTFLG
        ora     VARNAM
        sta     VARNAM
        lda     VARNAM+1
        ora     #$80
        sta     VARNAM+1
        jmp     CHRGET
@kind:  rts
@bad:   jmp     syntax_error

; find_simple: VARPNT = the value of the simple variable VARNAM, created
; (zero or empty) when missing.
find_simple:
        lda     VARTAB
        ldx     VARTAB+1
@loop:  sta     INDEX2
        stx     INDEX2+1
        cpx     ARYTAB+1
        bne     @check
        cmp     ARYTAB
        beq     @create
@check: ldy     #0
        lda     (INDEX2),y
        cmp     VARNAM
        bne     @next
        iny
        lda     (INDEX2),y
        cmp     VARNAM+1
        beq     @found
@next:  lda     INDEX2
        clc
        adc     #7
        bcc     @loop
        inx
        bne     @loop
@create:
        ; move the arrays up seven bytes to make room at ARYTAB
        clc
        lda     STREND
        adc     #7
        tax
        lda     STREND+1
        adc     #0
        tay
        jsr     check_memory
        stx     STREND
        sty     STREND+1
        lda     ARYTAB
        sta     INDEX1
        lda     ARYTAB+1
        sta     INDEX1+1
        clc
        lda     ARYTAB
        adc     #7
        sta     INDEX2
        lda     ARYTAB+1
        adc     #0
        sta     INDEX2+1
        sec
        lda     STREND
        sbc     INDEX2
        sta     RESHO
        lda     STREND+1
        sbc     INDEX2+1
        sta     RESHO+1
        jsr     copy_up
        lda     ARYTAB
        sta     INDEX2
        ldx     ARYTAB+1
        stx     INDEX2+1
        clc
        adc     #7
        sta     ARYTAB
        bcc     @name
        inc     ARYTAB+1
@name:  ldy     #0
        lda     VARNAM
        sta     (INDEX2),y
        iny
        lda     VARNAM+1
        sta     (INDEX2),y
        lda     #0
@zero:  iny
        sta     (INDEX2),y
        cpy     #6
        bcc     @zero
@found: clc
        lda     INDEX2
        adc     #2
        sta     VARPNT
        lda     INDEX2+1
        adc     #0
        sta     VARPNT+1
        rts

; is_letter: carry clear when A is a letter A-Z. Keeps A.
is_letter:
        cmp     #'A'
        bcc     @no
        cmp     #'Z'+1
        rts
@no:    sec
        rts

; element_variable: the value of the variable at the current character.
element_variable:
        jsr     find_variable
; load_variable: FAC = the value at VARPNT (a string gives its descriptor).
load_variable:
        lda     VALTYP
        bpl     @number
        lda     VARNAM                  ; TI$: the clock as "HHMMSS"
        cmp     #'T'
        bne     @string
        lda     VARNAM+1
        cmp     #'I'|$80
        bne     @string
        jmp     time_string
@string:
        lda     VARPNT
        sta     STRDSC
        lda     VARPNT+1
        sta     STRDSC+1
        rts
@number:
        lda     INTFLG
        bpl     @real
        ldy     #1
        lda     (VARPNT),y
        tax
        dey
        lda     (VARPNT),y
        pha
        txa
        tay
        pla
        jmp     fac_from_int16
@real:  lda     VARNAM
        cmp     #'T'
        bne     @not_ti
        lda     VARNAM+1
        cmp     #'I'
        bne     @not_ti
        jsr     RDTIM                   ; TI: the jiffy clock
        sty     FACHO+1
        stx     FACHO+2
        sta     FACHO+3
        lda     #0
        sta     FACHO
        sta     FACSGN
        jmp     fac_from_uint32
@not_ti:
        cmp     #'S'
        bne     @plain
        lda     VARNAM+1
        cmp     #'T'
        bne     @plain
        jsr     READST                  ; ST: the KERNAL status
        tay
        jmp     fac_from_byte
@plain: lda     VARPNT
        ldy     VARPNT+1
        jmp     fac_load

; stmt_let: [LET] variable = expression
stmt_let:
        jsr     find_variable
        lda     VARPNT
        pha
        lda     VARPNT+1
        pha
        lda     ARYTAB                  ; the expression may move the arrays
        pha
        lda     ARYTAB+1
        pha
        lda     INTFLG
        pha
        lda     VALTYP
        pha
        lda     VARNAM
        pha
        lda     VARNAM+1
        pha
        lda     #TOK_EQUAL
        jsr     chk_char
        jsr     eval_expr
        pla
        sta     VARNAM+1
        pla
        sta     VARNAM
        pla
        eor     VALTYP
        bpl     @types
        jmp     type_mismatch
@types: pla
        sta     INTFLG
        pla                             ; VARPNT += how far the arrays moved
        sta     INDEX+1
        pla
        sta     INDEX
        pla
        sta     VARPNT+1
        pla
        sta     VARPNT
        cmp     INDEX
        lda     VARPNT+1
        sbc     INDEX+1
        bcc     assign_variable         ; a simple variable: it did not move
        sec
        lda     ARYTAB
        sbc     INDEX
        tax
        lda     ARYTAB+1
        sbc     INDEX+1
        tay
        txa
        clc
        adc     VARPNT
        sta     VARPNT
        tya
        adc     VARPNT+1
        sta     VARPNT+1
        ; fall through

; assign_variable: store FAC (or the string result) into the variable at
; VARPNT, of the type in VALTYP/INTFLG (already checked to match).
assign_variable:
        lda     VALTYP
        bmi     @string
        lda     INTFLG
        bpl     @real
        jsr     fac_to_int16
        tax
        tya
        ldy     #1
        sta     (VARPNT),y
        dey
        txa
        sta     (VARPNT),y
        rts
@real:  lda     VARNAM
        cmp     #'T'
        bne     @store
        lda     VARNAM+1
        cmp     #'I'
        bne     @store
        jmp     syntax_error            ; TI cannot be assigned
@store: ldx     VARPNT
        ldy     VARPNT+1
        jmp     fac_store
@string:
        lda     VARNAM
        cmp     #'T'
        bne     @text
        lda     VARNAM+1
        cmp     #'I'|$80
        bne     @text
        jmp     set_time_string
@text:  jmp     assign_string

