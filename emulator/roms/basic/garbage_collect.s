; The string garbage collector. Every live string is reached from exactly
; one descriptor: a temporary, a string variable or a string array element.
; Each pass finds the live string highest in string space below the part
; already packed, moves it up against that part and mends its descriptor;
; unreachable strings are left below and given back with FRETOP. Only
; strings in string space move: program text and the input buffer do not.
;
; All registers, the utility bytes $22-$2A that callers keep block moves
; in, and the work bytes $50-$60 (line pointer, string lengths) are kept;
; the carry comes back clear (alloc_string counts on it).

.include "basic.inc"

.segment "BASIC_AB21"

GC_TOP  = FRESPC                ; the packed part starts here
GC_BEST = DSCPNT                ; record holding the best string so far ($50)
GC_OFF  = DSCPNT+2              ; its descriptor's offset in that record
GC_SCAN = TEMPF1                ; record being looked at ($57)
GC_END  = TEMPF1+2              ; end of the area being scanned ($59)
GC_PTR  = TEMPF2                ; the best string's address, 0 when none ($5C)
SAVED_LOW  = $50                ; $50-$60 are kept for the caller; the
SAVED_SIZE = $11                ; utility bytes $22-$2A are never touched

garbage_collect:
        pha
        txa
        pha
        tya
        pha
        ldx     #SAVED_SIZE-1
@save:  lda     SAVED_LOW,x
        pha
        dex
        bpl     @save
        lda     MEMSIZ
        sta     GC_TOP
        lda     MEMSIZ+1
        sta     GC_TOP+1
@pass:  lda     #0
        sta     GC_PTR
        sta     GC_PTR+1
        sta     GC_SCAN+1               ; the temporaries, in zero page
        sta     GC_END+1
        lda     #TEMPST
        sta     GC_SCAN
        lda     TEMPPT
        sta     GC_END
        ldx     #3
        jsr     scan
        ldx     #1                      ; the simple variables
@vars:  lda     VARTAB,x
        sta     GC_SCAN,x
        lda     ARYTAB,x
        sta     GC_END,x
        dex
        bpl     @vars
        ldx     #7
        jsr     scan                    ; (leaves GC_SCAN at ARYTAB)
@array: lda     GC_SCAN
        cmp     STREND
        lda     GC_SCAN+1
        sbc     STREND+1
        bcs     @move
        ldy     #2                      ; GC_END = the next array
        lda     (GC_SCAN),y
        adc     GC_SCAN
        sta     GC_END
        iny
        lda     (GC_SCAN),y
        adc     GC_SCAN+1
        sta     GC_END+1
        ldy     #0                      ; a string array?
        lda     (GC_SCAN),y
        bmi     @array_next
        iny
        lda     (GC_SCAN),y
        bpl     @array_next
        ldy     #4                      ; its elements follow the sizes
        lda     (GC_SCAN),y
        asl     a
        adc     #5
        ldx     #3
        jsr     scan_from
@array_next:
        lda     GC_END
        sta     GC_SCAN
        lda     GC_END+1
        sta     GC_SCAN+1
        bne     @array                  ; (never in zero page)
@move:  lda     GC_PTR                  ; none left in string space: done
        cmp     FRETOP
        lda     GC_PTR+1
        sbc     FRETOP+1
        bcc     @finished
        ; mend the descriptor, then move the string up against GC_TOP,
        ; highest byte first
        ldy     GC_OFF
        lda     GC_TOP
        sbc     (GC_BEST),y             ; (carry set)
        sta     GC_TOP
        bcs     @mend
        dec     GC_TOP+1
@mend:  iny
        sta     (GC_BEST),y
        iny
        lda     GC_TOP+1
        sta     (GC_BEST),y
        ldy     GC_OFF
        lda     (GC_BEST),y
        tay
@byte:  dey
        lda     (GC_PTR),y
        sta     (GC_TOP),y
        tya
        bne     @byte
        jmp     @pass
@finished:
        lda     GC_TOP
        sta     FRETOP
        lda     GC_TOP+1
        sta     FRETOP+1
        ldx     #<-SAVED_SIZE           ; (zero page indexing wraps)
@restore:
        pla
        sta     SAVED_LOW+SAVED_SIZE,x
        inx
        bne     @restore
        pla
        tay
        pla
        tax
        pla
        rts

.segment "BASIC"

; scan: every record of X bytes from GC_SCAN up to GC_END goes through
; check_descriptor: a 3-byte record is a descriptor; a 7-byte one is a
; simple variable, which counts only when it is a string one (bit 7 of the
; second name byte alone). scan_from first skips A bytes. Keeps X.
scan_from:
        clc
        adc     GC_SCAN
        sta     GC_SCAN
        bcc     scan
        inc     GC_SCAN+1
scan:   lda     GC_SCAN
        cmp     GC_END
        lda     GC_SCAN+1
        sbc     GC_END+1
        bcs     @done
        ldy     #0
        cpx     #7
        bne     @check
        lda     (GC_SCAN),y
        bmi     @next
        iny
        lda     (GC_SCAN),y
        bpl     @next
        iny                             ; its descriptor, two bytes in
@check: jsr     check_descriptor
@next:  txa
        bne     scan_from
@done:  rts

; check_descriptor: the descriptor Y bytes into GC_SCAN names the best
; string so far when its string is not empty, lies below the packed part
; and is not below the best one yet. Keeps X.
check_descriptor:
        lda     (GC_SCAN),y
        beq     @no
        iny
        lda     (GC_SCAN),y
        cmp     GC_TOP
        iny
        lda     (GC_SCAN),y
        sbc     GC_TOP+1
        bcs     @no
        dey
        lda     (GC_SCAN),y
        cmp     GC_PTR
        iny
        lda     (GC_SCAN),y
        sbc     GC_PTR+1
        bcc     @no
        lda     (GC_SCAN),y
        sta     GC_PTR+1
        dey
        lda     (GC_SCAN),y
        sta     GC_PTR
        dey
        sty     GC_OFF
        lda     GC_SCAN
        sta     GC_BEST
        lda     GC_SCAN+1
        sta     GC_BEST+1
@no:    rts
