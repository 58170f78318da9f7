; String space and temporary strings. Strings are allocated downwards from
; MEMSIZ (FRETOP is the lowest one); each is owned by exactly one
; descriptor (a variable, an array element or a temporary), so the garbage
; collector can move it and mend that one descriptor. Up to three
; temporaries live at TEMPST, the next free one at TEMPPT.

.include "basic.inc"

.segment "BASIC_E38E"

STRDSC  = FACHO+2

; push_new_string: push_temp_string for the A bytes just allocated at FRESPC.
push_new_string:
        ldx     FRESPC
        ldy     FRESPC+1
; push_temp_string: make a temporary descriptor for the string of length A
; at X (low) / Y (high); it becomes the expression's value.
; ?FORMULA TOO COMPLEX when all three are in use. Clobbers A, X, Y.
push_temp_string:
        pha
        txa
        ldx     TEMPPT
        cpx     #TEMPST+9
        bcc     @room
        ldx     #E_FORMULA_TOO_COMPLEX
        jmp     basic_error
@room:  sta     1,x
        sty     2,x
        pla
        sta     0,x
        stx     STRDSC
        stx     LASTPT
        lda     #0
        sta     STRDSC+1
        sta     LASTPT+1
        lda     #$FF
        sta     VALTYP
        inx
        inx
        inx
        stx     TEMPPT
        rts

.segment "BASIC_SPILL_EC"

; alloc_string: room for A bytes below FRETOP, collecting garbage once if
; needed; returns FRESPC and X/Y = its address, A = length kept in SLEN.
; ?OUT OF MEMORY when even that does not help.
alloc_string:
        sta     SLEN
        lda     #0
        sta     GARBFL
@try:   sec
        lda     FRETOP
        sbc     SLEN
        tax
        lda     FRETOP+1
        sbc     #0
        tay
        bcc     @full
        cpy     STREND+1
        bcc     @full
        bne     @ok
        cpx     STREND
        bcc     @full
@ok:    stx     FRETOP
        sty     FRETOP+1
        stx     FRESPC
        sty     FRESPC+1
        lda     SLEN
        rts
@full:  lda     GARBFL
        bne     @out
        jsr     garbage_collect
        dec     GARBFL
        bne     @try
@out:   jmp     out_of_memory
.segment "BASIC_BDD0"


; pop_temp: forget the temporary at A (low) / Y (high) if it is the newest.
; Keeps A and Y.
pop_temp:
        cpy     #0
        bne     @done
        pha
        clc
        adc     #3
        cmp     TEMPPT
        bne     @not
        pla
        sta     TEMPPT
        pha
@not:   pla
@done:  rts

.segment "BASIC_SPILL_EC"

; free_temp: read the descriptor at A/Y into A = length, INDEX = address,
; forgetting it if it is the newest temporary and giving its space back if
; it is the newest string. Clobbers X, Y.
free_temp:
        jsr     pop_temp
        jsr     read_descriptor
        lda     DSCPNT+1
        bne     @kept                   ; not a temporary
        lda     DSCPNT
        cmp     TEMPPT
        bne     @kept                   ; still in use
        lda     INDEX
        cmp     FRETOP
        bne     @kept
        lda     INDEX+1
        cmp     FRETOP+1
        bne     @kept
        lda     (DSCPNT),y              ; the newest string: release it
        clc
        adc     FRETOP
        sta     FRETOP
        bcc     @kept
        inc     FRETOP+1
@kept:  lda     (DSCPNT),y
        rts
.segment "BASIC_BDD0"


; free_fac_string: free_temp for the expression's string value.
free_fac_string:
        lda     STRDSC
        ldy     STRDSC+1
        jmp     free_temp

; pop_fac_temp: pop_temp for the expression's string value.
pop_fac_temp:
        lda     STRDSC
        ldy     STRDSC+1
        jmp     pop_temp

.segment "BASIC_BDD0"

; string_from_text: a temporary holding the zero-terminated text at A/Y.
string_from_text:
        sta     INDEX                   ; (the collector keeps INDEX)
        sty     INDEX+1
        ldy     #$FF
@len:   iny
        lda     (INDEX),y
        bne     @len
        tya
        jsr     alloc_string
        jsr     copy_string_to
        lda     SLEN
        jmp     push_new_string
.segment "BASIC"


; copy_string_to: copy A bytes from (INDEX) to (FRESPC). Clobbers Y.
copy_string_to:
        tay
        beq     @done
@loop:  dey
        lda     (INDEX),y
        sta     (FRESPC),y
        tya
        bne     @loop
@done:  rts

.segment "BASIC_SPILL_EC"

; assign_string: store the expression's string in the descriptor at VARPNT.
; Text in the program is shared; the newest temporary's own string is taken
; over; anything else is copied into string space.
assign_string:
        ldy     #0
        lda     (STRDSC),y
        beq     @take                   ; empty: nothing to own
        iny
        lda     (STRDSC),y
        tax
        iny
        lda     (STRDSC),y
        cmp     VARTAB+1                ; inside the program text?
        bcc     @in_text
        bne     @not_text
        cpx     VARTAB
        bcs     @not_text
@in_text:
        cmp     TXTTAB+1
        bcc     @not_text
        bne     @take
        cpx     TXTTAB
        bcs     @take
@not_text:
        cmp     FRETOP+1                ; in string space, and a temporary?
        bcc     @copy
        bne     @space
        cpx     FRETOP
        bcc     @copy
@space: lda     STRDSC+1
        bne     @copy                   ; another variable's string
        lda     STRDSC
        clc
        adc     #3
        cmp     TEMPPT
        bne     @copy
@take:  ldy     #2
@desc:  lda     (STRDSC),y
        sta     (VARPNT),y
        dey
        bpl     @desc
        jmp     pop_fac_temp
@copy:  ldy     #0
        lda     (STRDSC),y
        jsr     alloc_string
        jsr     read_fac_descriptor     ; (again: the collector may have moved it)
        jsr     copy_string_to
        jsr     pop_fac_temp
        ldy     #0
        lda     SLEN
        sta     (VARPNT),y
        iny
        lda     FRESPC
        sta     (VARPNT),y
        iny
        lda     FRESPC+1
        sta     (VARPNT),y
        rts

; concatenate: the string at ARG's descriptor followed by FAC's.
concatenate:
        ldy     #0
        lda     (ARGHO+2),y
        clc
        adc     (STRDSC),y
        bcc     @fits
        ldx     #E_STRING_TOO_LONG
        jmp     basic_error
@fits:  jsr     alloc_string
        lda     ARGHO+2                 ; left part
        ldy     ARGHO+3
        jsr     read_descriptor
        pha
        jsr     copy_string_to
        pla
        clc                             ; FRESPC += left length for the right part
        adc     FRESPC
        sta     FRESPC
        bcc     @right
        inc     FRESPC+1
@right: jsr     read_fac_descriptor
        jsr     copy_string_to
        jsr     pop_fac_temp            ; forget the operands, newest first
        lda     ARGHO+2
        ldy     ARGHO+3
        jsr     pop_temp
        lda     SLEN
        ldx     FRETOP
        ldy     FRETOP+1
        jmp     push_temp_string
.segment "BASIC_HI"

; read_fac_descriptor: read_descriptor for the expression's string.
read_fac_descriptor:
        lda     STRDSC
        ldy     STRDSC+1
; read_descriptor: DSCPNT = A/Y; A = the length of that descriptor's string,
; INDEX = its address, Y = 0.
read_descriptor:
        sta     DSCPNT
        sty     DSCPNT+1
        ldy     #2
        lda     (DSCPNT),y
        sta     INDEX+1
        dey
        lda     (DSCPNT),y
        sta     INDEX
        dey
        lda     (DSCPNT),y
        rts

; compare_strings: A = 1, 0 or $FF as ARG's string is above, equal to or
; below FAC's (byte by byte, a prefix first).
compare_strings:
        jsr     free_fac_string
        sta     CHARAC
        lda     INDEX
        sta     STRNG2
        lda     INDEX+1
        sta     STRNG2+1
        lda     ARGHO+2
        ldy     ARGHO+3
        jsr     free_temp
        sta     ENDCHR
        ldy     #0
@loop:  cpy     ENDCHR
        beq     @left_end
        cpy     CHARAC
        beq     @greater                ; the right one ended first
        lda     (INDEX),y
        cmp     (STRNG2),y
        bne     @differ
        iny
        bne     @loop
@left_end:
        cpy     CHARAC
        beq     @equal
@less:  lda     #$FF
        rts
@differ:
        bcc     @less
@greater:
        lda     #1
        rts
@equal: lda     #0
        rts

.segment "BASIC"


; print_fac_string: print the expression's string.
print_fac_string:
        jsr     free_fac_string
        tax
        ldy     #0
@loop:  dex
        cpx     #$FF
        beq     @done
        lda     (INDEX),y
        jsr     CHROUT
        iny
        bne     @loop
@done:  rts

.segment "BASIC_B1AD"


; print_string_ay: print the zero-terminated text at A/Y (the routine at
; $AB1E). Clobbers A, Y.
print_string_ay:
        sta     STRNG1
        sty     STRNG1+1
        ldy     #0
@loop:  lda     (STRNG1),y
        beq     @done
        jsr     CHROUT
        iny
        bne     @loop
@done:  rts

