; The string garbage collector. Every live string is reached from exactly
; one descriptor: a temporary, a string variable or a string array element.
; Each pass finds the live string highest in string space below the part
; already packed, moves it up against that part and mends its descriptor;
; unreachable strings are left below and given back with FRETOP. Only
; strings in string space move: program text and the input buffer do not.
;
; All registers, the utility bytes $22-$2A that callers keep block moves
; in, and the work bytes $50-$60 (line pointer, string lengths) are kept.

.include "basic.inc"

.segment "BASIC_SPILL_F7"

GC_TOP  = FRESPC                ; the packed part starts here
GC_BEST = DSCPNT                ; descriptor of the best string so far ($50)
GC_LOW  = JMPER+1               ; FRETOP before the collection ($55)
GC_SCAN = TEMPF1                ; descriptor being looked at ($57)
GC_END  = TEMPF1+2              ; end of the area being scanned ($59)
GC_ARY  = TEMPF2                ; array walk pointer ($5C)
GC_PTR  = TEMPF2+2              ; the best string's address, 0 when none ($5E)
SAVED_LOW  = $50                ; $50-$60 are kept for the caller, as are
SAVED_SIZE = $11                ; the utility bytes $22-$2A

garbage_collect:
        pha
        txa
        pha
        tya
        pha
        ldx     #8
@save:  lda     INDEX,x
        pha
        dex
        bpl     @save
        ldx     #SAVED_SIZE-1
@save2: lda     SAVED_LOW,x
        pha
        dex
        bpl     @save2
        lda     FRETOP
        sta     GC_LOW
        lda     FRETOP+1
        sta     GC_LOW+1
        lda     MEMSIZ
        sta     GC_TOP
        lda     MEMSIZ+1
        sta     GC_TOP+1
@pass:  lda     #0
        sta     GC_PTR
        sta     GC_PTR+1
        ; the temporaries
        sta     GC_SCAN+1
        sta     GC_END+1
        lda     #TEMPST
        sta     GC_SCAN
        lda     TEMPPT
        sta     GC_END
        jsr     scan_descriptors
        ; the simple variables: only string ones (second name byte bit 7)
        lda     VARTAB
        ldx     VARTAB+1
@vars:  sta     GC_SCAN
        stx     GC_SCAN+1
        cpx     ARYTAB+1
        bne     @var
        cmp     ARYTAB
        beq     @arrays
@var:   ldy     #0
        lda     (GC_SCAN),y
        bmi     @var_next
        iny
        lda     (GC_SCAN),y
        bpl     @var_next
        iny                             ; one descriptor, two bytes in
        jsr     check_descriptor
@var_next:
        lda     GC_SCAN
        ldx     GC_SCAN+1
        clc
        adc     #7
        bcc     @vars
        inx
        bne     @vars
@arrays:
        lda     ARYTAB
        ldx     ARYTAB+1
@array: sta     GC_ARY
        stx     GC_ARY+1
        cpx     STREND+1
        bne     @this
        cmp     STREND
        beq     @move
@this:  ldy     #2                      ; end of this array
        lda     (GC_ARY),y
        clc
        adc     GC_ARY
        sta     GC_END
        iny
        lda     (GC_ARY),y
        adc     GC_ARY+1
        sta     GC_END+1
        ldy     #0
        lda     (GC_ARY),y
        bmi     @array_next
        iny
        lda     (GC_ARY),y
        bpl     @array_next
        ldy     #4                      ; elements start after the sizes
        lda     (GC_ARY),y
        asl     a
        adc     #5
        adc     GC_ARY
        sta     GC_SCAN
        lda     GC_ARY+1
        adc     #0
        sta     GC_SCAN+1
        jsr     scan_descriptors
@array_next:
        lda     GC_END
        ldx     GC_END+1
        jmp     @array
@move:  lda     GC_PTR+1
        beq     @finished
        ; move the best string up against GC_TOP, highest byte first
        ldy     #0
        sec
        lda     GC_TOP
        sbc     (GC_BEST),y
        sta     GC_TOP
        bcs     @copy
        dec     GC_TOP+1
@copy:  lda     (GC_BEST),y
        tay
@byte:  dey
        lda     (GC_PTR),y
        sta     (GC_TOP),y
        tya
        bne     @byte
        ldy     #1
        lda     GC_TOP
        sta     (GC_BEST),y
        iny
        lda     GC_TOP+1
        sta     (GC_BEST),y
        jmp     @pass
@finished:
        lda     GC_TOP
        sta     FRETOP
        lda     GC_TOP+1
        sta     FRETOP+1
        ldx     #<-SAVED_SIZE           ; (zero page indexing wraps)
@restore2:
        pla
        sta     SAVED_LOW+SAVED_SIZE,x
        inx
        bne     @restore2
        ldx     #<-9
@restore:
        pla
        sta     INDEX+9,x
        inx
        bne     @restore
        pla
        tay
        pla
        tax
        pla
        rts

; scan_descriptors: check_descriptor for every 3-byte descriptor from
; GC_SCAN up to GC_END.
scan_descriptors:
@loop:  lda     GC_SCAN
        cmp     GC_END
        lda     GC_SCAN+1
        sbc     GC_END+1
        bcs     @done
        ldy     #0
        jsr     check_descriptor
        lda     GC_SCAN
        clc
        adc     #3
        sta     GC_SCAN
        bcc     @loop
        inc     GC_SCAN+1
        bne     @loop
@done:  rts

; check_descriptor: if the descriptor Y bytes into GC_SCAN names a non-empty
; string in string space below GC_TOP and above the best so far, it becomes
; the best.
check_descriptor:
        lda     (GC_SCAN),y
        beq     @no
        iny
        iny
        lda     (GC_SCAN),y
        tax                             ; X = address high
        dey
        lda     (GC_SCAN),y             ; A = address low
        cpx     GC_LOW+1                ; at or above the old FRETOP
        bcc     @no
        bne     @above_low
        cmp     GC_LOW
        bcc     @no
@above_low:
        cpx     GC_TOP+1                ; below the packed part
        bcc     @below_top
        bne     @no
        cmp     GC_TOP
        bcs     @no
@below_top:
        cpx     GC_PTR+1                ; above the best so far
        bcc     @no
        bne     @best
        cmp     GC_PTR
        bcc     @no
        beq     @no
@best:  sta     GC_PTR
        stx     GC_PTR+1
        dey
        tya
        clc
        adc     GC_SCAN
        sta     GC_BEST
        lda     GC_SCAN+1
        adc     #0
        sta     GC_BEST+1
@no:    rts
