; Simple variables: finding and creating them, reading them into FAC, LET,
; and the special variables TI, TI$ and ST. A variable is 7 bytes between
; VARTAB and ARYTAB: two name bytes (bit 7 of both set for an integer, of
; the second alone for a string, of the first alone for FN) and five bytes
; of value (a packed float, an integer high byte first, or a string
; descriptor: length and address).

.include "basic.inc"

.segment "BASIC_E0C1"

STRDSC  = FACHO+2

.import copy_push
.import seek

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
        jsr     CHRGOT
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
        beq     @string
        cmp     #'%'
        bne     @kind
        lda     SUBFLG
        bne     @bad                    ; no integer loop or FN variables
        lda     #$80
        sta     INTFLG
        ora     VARNAM
        sta     VARNAM
        bne     @typed                  ; (always)
@string:
        dec     VALTYP                  ; $FF
@typed: lda     VARNAM+1
        ora     #$80
        sta     VARNAM+1
        jmp     CHRGET
@kind:  rts
@bad:   jmp     syntax_error

; find_simple: VARPNT = the value of the simple variable VARNAM, created
; (zero or empty) when missing.
find_simple:
        ldx     #0
        jsr     seek
        bcc     value_at
        lda     INDEX2                  ; (ARYTAB) the arrays move up seven
        sta     INDEX1                  ; bytes; the new variable goes where
        pha                             ; they were
        lda     INDEX2+1
        sta     INDEX1+1
        pha
        sec
        lda     STREND
        sbc     INDEX1
        sta     RESHO
        lda     STREND+1
        sbc     INDEX1+1
        sta     RESHO+1
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
        clc
        lda     INDEX1
        adc     #7
        sta     INDEX2
        sta     ARYTAB
        lda     INDEX1+1
        adc     #0
        sta     INDEX2+1
        sta     ARYTAB+1
        jsr     copy_up
        pla
        sta     INDEX2+1
        pla
        sta     INDEX2
        ldy     #6                      ; the name, then a zero value
@init:  lda     #0
        cpy     #2
        bcs     @byte
        lda     VARNAM,y
@byte:  sta     (INDEX2),y
        dey
        bpl     @init
; value_at: VARPNT = INDEX2 + 2, the value of the variable there. Returns
; with the carry clear.
value_at:
        clc
        lda     INDEX2
        adc     #2
        sta     VARPNT
        lda     INDEX2+1
        adc     #0
        sta     VARPNT+1
        rts

.segment "BASIC"

; is_letter: carry clear when A is a letter A-Z. Keeps A.
is_letter:
        cmp     #'A'
        bcc     @no
        cmp     #'Z'+1
        rts
@no:    sec
        rts

; is_ti: Z set when VARNAM is TI or TI$ (TI% is a variable of its own).
; Clobbers A; when VARNAM is not T, A = VARNAM.
is_ti:  lda     VARNAM
        cmp     #'T'
        bne     @done
        lda     VARNAM+1
        and     #$7F
        cmp     #'I'
@done:  rts

.segment "BASIC_B3A5"

; element_variable: the value of the variable at the current character.
; As on the C64, a simple variable that does not exist reads as zero (or
; empty) without being created, so that nothing moves while an expression
; holds pointers to strings in the arrays.
element_variable:
        jsr     parse_name
        cmp     #'('
        bne     @simple
        jsr     find_array
        bcc     load_variable           ; (always)
@simple:
        ldx     #0
        jsr     seek
        bcs     @missing
        jsr     value_at
        bcc     load_variable           ; (always)
@missing:
        lda     #<const_zero            ; (a zero real, integer or descriptor)
        sta     VARPNT
        lda     #>const_zero
        sta     VARPNT+1
; load_variable: FAC = the value at VARPNT (a string gives its descriptor).
load_variable:
        lda     VALTYP
        bpl     @number
        jsr     is_ti
        bne     @string
        jmp     time_string             ; TI$: the clock as "HHMMSS"
@string:
        lda     VARPNT
        sta     STRDSC
        lda     VARPNT+1
        sta     STRDSC+1
        rts
@number:
        lda     INTFLG
        bpl     @real
        ldy     #0
        lda     (VARPNT),y
        pha
        iny
        lda     (VARPNT),y
        tay
        pla
        jmp     fac_from_int16
@real:  jsr     is_ti
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
        cmp     #'S'                    ; (VARNAM, or for T the second
        bne     @plain                  ; letter: never S and T then)
        lda     VARNAM+1
        cmp     #'T'
        bne     @plain
        jsr     READST                  ; ST: the KERNAL status
        tay
        jmp     fac_from_byte
@plain: lda     VARPNT
        ldy     VARPNT+1
        jmp     fac_load

.segment "BASIC_A71D"

; stmt_let: [LET] variable = expression
stmt_let:
        jsr     find_variable
        ldx     #3                      ; VARNAM and VARPNT
@save:  lda     VARNAM,x
        pha
        dex
        bpl     @save
        lda     INTFLG
        pha
        lda     VALTYP
        pha
        lda     #TOK_EQUAL
        jsr     chk_char
        jsr     eval_expr
        pla
        eor     VALTYP
        bpl     @types
        jmp     type_mismatch
@types: pla
        sta     INTFLG
        ldx     #<-4                    ; (nothing moved: an expression
@restore:                               ; creates no simple variables)
        pla
        sta     VARNAM+4,x              ; (zero page indexing wraps)
        inx
        bne     @restore
        ; fall through

; assign_variable: store FAC (or the string result) into the variable at
; VARPNT, of the type in VALTYP/INTFLG (already checked to match).
assign_variable:
        lda     VALTYP
        bmi     @string
        lda     INTFLG
        bpl     @real
        jsr     fac_to_int16            ; (the low byte also in FACHO+3)
        ldy     #0
        sta     (VARPNT),y
        iny
        lda     FACHO+3
        sta     (VARPNT),y
        rts
@real:  jsr     is_ti
        bne     @store
        jmp     syntax_error            ; TI cannot be assigned
@store: ldx     VARPNT
        ldy     VARPNT+1
        jmp     fac_store
@string:
        jsr     is_ti
        bne     assign_string
        jmp     set_time_string

; assign_string: store the expression's string in the descriptor at VARPNT.
; Text in the program is shared; the newest temporary's own string is taken
; over; anything else is copied into string space first.
assign_string:
        jsr     pop_fac_temp
        beq     @take                   ; empty: nothing to own
        ldx     INDEX
        bcc     @text                   ; not the newest temporary
        cpx     FRETOP
        lda     INDEX+1
        sbc     FRETOP+1
        bcs     @take                   ; its own string in string space
@text:  cpx     VARTAB                  ; in the program text?
        lda     INDEX+1
        sbc     VARTAB+1
        bcs     @copy
        cpx     TXTTAB
        lda     INDEX+1
        sbc     TXTTAB+1
        bcs     @take
@copy:  lda     (DSCPNT),y
        jsr     alloc_string
        jsr     pop_fac_temp            ; (again: the collector may have moved it)
        jsr     copy_push               ; the copy is the newest temporary now,
        jmp     assign_string           ; so it is taken over
@take:  ldy     #2
@desc:  lda     (STRDSC),y
        sta     (VARPNT),y
        dey
        bpl     @desc
        rts
