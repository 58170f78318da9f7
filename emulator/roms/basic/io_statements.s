; OPEN CLOSE LOAD SAVE VERIFY through the KERNAL. LOAD in direct mode sets
; VARTAB from the end address; inside a program it chains: the new program
; runs from its first line with the variables kept.

.include "basic.inc"

.segment "BASIC_AE89"

; OPEN file [, device [, secondary [, name]]]
stmt_open:
        jsr     file_params
        jsr     OPEN
        bcs     kernal_error
        rts

; CLOSE file
stmt_close:
        jsr     eval_byte
        txa
        jsr     CLOSE
        bcs     kernal_error
        rts

kernal_error:
        tax
        jmp     basic_error

; SAVE ["name" [, device [, secondary]]]
stmt_save:
        jsr     load_save_params
        ldx     VARTAB
        ldy     VARTAB+1
        lda     #TXTTAB
        jsr     SAVE
        bcs     kernal_error
        rts

; VERIFY and LOAD ["name" [, device [, secondary]]]
stmt_verify:
        lda     #1
        .byte   $2C                     ; (skip the next instruction)
stmt_load:
        lda     #0
        sta     VERCKB
        jsr     load_save_params
        lda     VERCKB
        ldx     TXTTAB
        ldy     TXTTAB+1
        jsr     LOAD
        bcs     kernal_error
        lda     VERCKB
        beq     @loaded
        jsr     READST
        and     #$10
        beq     @verified
        ldx     #E_VERIFY
        jmp     basic_error
@verified:
        ldy     CURLIN+1
        iny
        bne     @quiet
        lda     #<text_ok
        ldy     #>text_ok
        jsr     print_string_ay
@quiet: rts
@loaded:
        stx     INDEX                   ; the end address
        sty     INDEX+1
        cpy     TXTTAB+1                ; it must lie above the program start
        bcc     @failed
        bne     @status
        cpx     TXTTAB
        bcc     @failed
@status:
        jsr     READST
        and     #$BF
        beq     @good
@failed:
        ldx     #E_LOAD
        jmp     basic_error
@good:  ldy     CURLIN+1
        iny
        bne     @chain
        lda     INDEX                   ; direct mode: the program ends there
        sta     VARTAB
        lda     INDEX+1
        sta     VARTAB+1
        jsr     relink
        jsr     clear_vars
        jsr     reset_text_ptr
        jmp     ready
@chain: jsr     relink
        jsr     reset_text_ptr
        jsr     do_restore
        ldx     #$FA                    ; the old program's loops are gone
        txs
        lda     #0
        sta     $01FB
        jmp     execute_next

.segment "BASIC_A7B1"

text_ok: .byte 13, "OK", 13, 0

.segment "BASIC_AE89"

; load_save_params: SETNAM and SETLFS for LOAD/SAVE/VERIFY: the name (none
; by default), the device (1) and the secondary address (0).
load_save_params:
        lda     #0
        jsr     SETNAM
        ldx     #1
        ldy     #0
        jsr     CHRGOT
        beq     @set
        jsr     name_param
        ldx     #1
        ldy     #0
        jsr     CHRGOT
        beq     @set
        jsr     eval_byte_comma
        ldy     #0
        stx     FA
        jsr     CHRGOT
        beq     @device
        jsr     eval_byte_comma
        txa
        tay
@device:
        ldx     FA
@set:   lda     #0
        jmp     SETLFS

; name_param: evaluate a string and make it the file name.
name_param:
        jsr     eval_string
        jsr     free_fac_string
        ldx     INDEX
        ldy     INDEX+1
        jmp     SETNAM

; file_params: "file [, device [, secondary [, name]]]" for OPEN.
file_params:
        lda     #0
        jsr     SETNAM
        jsr     eval_byte
        stx     LA
        ldx     #1
        stx     FA
        ldy     #0
        sty     SA
        jsr     CHRGOT
        beq     @set
        jsr     eval_byte_comma
        stx     FA
        jsr     CHRGOT
        beq     @set
        jsr     eval_byte_comma
        stx     SA
        jsr     CHRGOT
        beq     @set
        jsr     chk_comma
        jsr     name_param
@set:   lda     LA
        ldx     FA
        ldy     SA
        jmp     SETLFS
