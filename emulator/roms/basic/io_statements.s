; OPEN CLOSE LOAD SAVE VERIFY through the KERNAL. LOAD in direct mode sets
; VARTAB from the end address; inside a program it chains: the new program
; runs from its first line with the variables kept.

.include "basic.inc"

.import print_text           ; (errors.s, with the texts' numbers)
.importzp M_OK
.import clear_stack             ; (program.s)

.segment "BASIC_BDE0"

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

; open_input: evaluate "file," and take input from that file (CHANNL
; non-zero while it lasts).
open_input:
        jsr     eval_byte
        jsr     chk_comma
        jsr     CHKIN
        bcs     kernal_error
        lda     #1
        sta     CHANNL
        rts

; open_output: evaluate a file number and send output there.
open_output:
        jsr     eval_byte
        stx     CHANNL
        jsr     CHKOUT
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
        ldx     #M_OK
        jmp     print_text
@quiet: rts
@loaded:
        stx     INDEX                   ; the end address
        sty     INDEX+1
        cpx     TXTTAB                  ; it must not lie below the program start
        tya
        sbc     TXTTAB+1
        bcc     @failed
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
        jsr     clear_stack             ; the old program's loops are gone
        jmp     execute_next

.segment "BASIC"

; load_save_params: SETNAM and SETLFS for LOAD/SAVE/VERIFY: the name (none
; by default), the device (1) and the secondary address (0).
load_save_params:
        jsr     params_start
        beq     set_lfs
        jsr     name_param
        ; fall through

; device_secondary: [, device [, secondary]] into FA and SA, then SETLFS.
device_secondary:
        jsr     CHRGOT
        beq     set_lfs
        jsr     eval_byte_comma
        stx     FA
        jsr     CHRGOT
        beq     set_lfs
        jsr     eval_byte_comma
        stx     SA
set_lfs:
        lda     LA
        ldx     FA
        ldy     SA
        jmp     SETLFS

; params_start: no name, file 0, device 1, secondary address 0; returns
; CHRGOT's flags.
params_start:
        lda     #0
        sta     LA
        jsr     SETNAM
        ldx     #1
        stx     FA
        dex
        stx     SA
        jmp     CHRGOT

; name_param: evaluate a string and make it the file name.
name_param:
        jsr     eval_string
        jsr     free_fac_string
        ldx     INDEX
        ldy     INDEX+1
        jmp     SETNAM

; file_params: "file [, device [, secondary [, name]]]" for OPEN.
file_params:
        jsr     params_start
        jsr     eval_byte
        stx     LA
        jsr     device_secondary
        jsr     CHRGOT
        beq     @done
        jsr     chk_comma
        jmp     name_param
@done:  rts
