; String space and temporary strings. Strings are allocated downwards from
; MEMSIZ (FRETOP is the lowest one); each is owned by exactly one
; descriptor (a variable, an array element or a temporary), so the garbage
; collector can move it and mend that one descriptor. Up to three
; temporaries live at TEMPST, the next free one at TEMPPT.

.include "basic.inc"

.segment "BASIC_HI"

STRDSC  = FACHO+2

.export copy_push               ; (for the string functions)

; copy_push: copy SLEN bytes from (INDEX) into the string just allocated
; at FRESPC and make it the expression's value.
copy_push:
        lda     SLEN
        jsr     copy_string_to
        lda     SLEN
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
        ldy     #0
        sty     STRDSC+1
        sty     LASTPT+1
        dey
        sty     VALTYP
        inx
        inx
        inx
        stx     TEMPPT
        rts

.segment "BASIC_BF7E"

; alloc_string: room for A bytes below FRETOP, collecting garbage once if
; needed; returns FRESPC and X/Y = its address, A = length kept in SLEN.
; ?OUT OF MEMORY when even that does not help.
alloc_string:
        sta     SLEN
        lda     #$80                    ; one collection allowed
        sta     GARBFL
@try:   sec
        lda     FRETOP
        sbc     SLEN
        tax
        lda     FRETOP+1
        sbc     #0
        tay
        bcc     @full
        cpx     STREND                  ; still at or above the arrays' end?
        sbc     STREND+1
        bcc     @full
        stx     FRETOP
        sty     FRETOP+1
        stx     FRESPC
        sty     FRESPC+1
        lda     SLEN
        rts
@full:  asl     GARBFL
        bcc     @out
        jsr     garbage_collect         ; (returns with the carry clear)
        bcc     @try
@out:   jmp     out_of_memory

.segment "BASIC_HI"

; free_fac_string: free_temp for the expression's string value.
free_fac_string:
        lda     STRDSC
        ldy     STRDSC+1
; free_temp: read the descriptor at A/Y into A = length, INDEX = address,
; Y = 0, forgetting it if it is the newest temporary and then giving its
; space back if it is the newest string. Clobbers X.
free_temp:
        jsr     pop_temp
        bcc     @done                   ; not the newest temporary
        ldx     INDEX
        cpx     FRETOP
        bne     @done
        ldx     INDEX+1
        cpx     FRETOP+1
        bne     @done
        pha                             ; the newest string: release it
        clc
        adc     FRETOP
        sta     FRETOP
        bcc     @same
        inc     FRETOP+1
@same:  pla
@done:  rts

.segment "BASIC_BF7E"

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
@right: jsr     pop_fac_temp            ; forget the operands, newest first
        jsr     copy_string_to
        lda     ARGHO+2
        ldy     ARGHO+3
        jsr     pop_temp
        lda     SLEN
        ldx     FRETOP
        ldy     FRETOP+1
        jmp     push_temp_string

.segment "BASIC_HI"

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

.segment "BASIC_B1AD"

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
        jsr     free_temp               ; (Y = 0)
        sta     ENDCHR
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
        cpy     CHARAC                  ; carry set when both ended
        lda     #0
        sbc     #0                      ; 0, or $FF: the left one is a prefix
        rts
@differ:
        lda     #$FF
        bcc     @done
@greater:
        lda     #1
@done:  rts

.segment "BASIC_HI"

; pop_fac_temp: pop_temp for the expression's string value.
pop_fac_temp:
        lda     STRDSC
        ldy     STRDSC+1
; pop_temp: forget the descriptor at A/Y if it is the newest temporary
; (carry set then, else clear) and read it as read_descriptor does.
; Clobbers X.
pop_temp:
        tax
        inx
        inx
        inx
        cpx     TEMPPT
        bne     @keep
        cpy     #0                      ; (sets the carry)
        bne     @keep
        sta     TEMPPT
        .byte   $24                     ; (BIT zp: skips the clc)
@keep:  clc
; read_descriptor: DSCPNT = A/Y; A = the length of that descriptor's string,
; INDEX = its address, Y = 0. Keeps the carry.
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

.segment "BASIC_A57F"

; print_fac_string: print the expression's string.
print_fac_string:
        jsr     free_fac_string         ; (Y = 0)
        tax
        beq     @done
@loop:  lda     (INDEX),y
        jsr     CHROUT
        iny
        dex
        bne     @loop
@done:  rts

.segment "BASIC_HI"

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
