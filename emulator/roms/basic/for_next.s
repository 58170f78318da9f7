; FOR and NEXT. A FOR frame on the 6502 stack holds, from its top: the FOR
; token, TXTPTR and CURLIN after the FOR statement, the sign of STEP, STEP
; and the limit as packed floats, and the loop variable's address. The body
; always runs once; NEXT adds STEP and loops while the limit is not passed.

.include "basic.inc"

.segment "BASIC_B86A"

.import push_frame, frame_position     ; (statements_flow.s: the top shared with GOSUB)

F_SIGN  = $0106                 ; offsets from $0101 + index of the frame top
F_STEP  = $0107
F_LIMIT = $010C
F_VAR   = $0111

; FOR variable = start TO limit [STEP step]
stmt_for:
        jsr     stmt_let
        lda     VARNAM
        ora     VARNAM+1
        bpl     @real
        jmp     type_mismatch           ; only real variables count loops
@real:  pla
        pla
        jsr     find_var_frame          ; a loop on this variable starts afresh
        bcc     @fresh
        txa
        adc     #FOR_FRAME-1            ; (carry set: found)
        tax
        txs
@fresh: lda     #FOR_FRAME - 2          ; the C64's room for a loop: as many
        jsr     check_stack             ; loops nest
        lda     #TOK_TO
        jsr     chk_char
        jsr     eval_numeric
        lda     FORPNT+1
        pha
        lda     FORPNT
        pha
        ldx     #FPTEMP2
        jsr     fac_store_zp
        ldx     #4
@limit: lda     FPTEMP2,x
        pha
        dex
        bpl     @limit
        ldy     #1                      ; STEP 1 unless given
        jsr     fac_from_byte
        jsr     CHRGOT
        cmp     #TOK_STEP
        bne     @step
        jsr     CHRGET
        jsr     eval_numeric
@step:  ldx     #FPTEMP2
        jsr     fac_store_zp
        ldx     #4
@stepb: lda     FPTEMP2,x
        pha
        dex
        bpl     @stepb
        jsr     fac_sign                ; (of the rounded step: the same)
        pha
        ldx     #TOK_FOR
        jmp     push_frame

.segment "BASIC_B3A5"

; NEXT [variable [, variable ...]]
stmt_next:
        pla
        pla
@again: lda     #0
        sta     VARPNT+1                ; no variable named: any loop
        jsr     CHRGOT
        beq     @any
        jsr     find_variable
@any:   jsr     find_var_frame
        bcs     @found
        ldx     #E_NEXT_WITHOUT_FOR
        jmp     basic_error
@found: txs                             ; inner loops end with this one
        lda     F_VAR+1,x
        sta     FORPNT+1
        tay
        lda     F_VAR,x
        sta     FORPNT
        jsr     fac_load
        tsx
        txa
        clc
        adc     #<F_STEP
        ldy     #>F_STEP
        jsr     fadd_mem                ; (which rounds)
        ldx     FORPNT
        ldy     FORPNT+1
        jsr     fac_store_rounded
        tsx
        txa
        clc
        adc     #<F_LIMIT
        ldy     #>F_LIMIT
        jsr     fac_compare
        tsx
        sec
        sbc     F_SIGN,x
        bne     @loop
        txa                             ; the variable has passed the limit
        adc     #FOR_FRAME-1            ; (carry set: equal)
        tax
        txs
        jsr     comma_next
        bcs     @again
        bcc     @out
@loop:  jsr     frame_position
@out:   jmp     execute_next

.segment "BASIC_BBA5"

; find_for_frame: look down the stack from our caller's frame for a FOR
; frame of the variable at FORPNT (any FOR frame when FORPNT+1 is zero),
; stopping at a GOSUB frame. Carry set and X = the index to give TXS when
; found. Clobbers A. find_var_frame: the same for the variable at VARPNT.
find_var_frame:
        lda     VARPNT
        sta     FORPNT
        lda     VARPNT+1
        sta     FORPNT+1
find_for_frame:
        tsx
        inx
        inx
@loop:  lda     $0101,x
        cmp     #TOK_FOR
        bne     @none
        lda     FORPNT+1
        beq     @found
        cmp     F_VAR+1,x
        bne     @skip
        lda     FORPNT
        cmp     F_VAR,x
        beq     @found
@skip:  txa
        clc
        adc     #FOR_FRAME
        tax
        bcc     @loop
@none:  clc
        rts
@found: sec
        rts
