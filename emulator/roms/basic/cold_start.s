; Cold and warm start: the BASIC vectors, CHRGET in zero page, the memory
; bounds from the KERNAL, the start-up banner and the bytes-free line.

.include "basic.inc"

.segment "BASIC_A486"

; basic_cold: entered through ($A000) from the KERNAL's reset.
basic_cold:                             ; (ready sets the stack pointer)
        ldx     #chrget_image_end - chrget_image - 1
@copy:  lda     chrget_image,x          ; CHRGET, and the page 3 vectors
        sta     CHRGET,x                ; with the shorter table
        cpx     #vector_defaults_end - vector_defaults
        bcs     @next
        lda     vector_defaults,x
        sta     IERROR,x
@next:  dex
        bpl     @copy
        lda     #$4C                    ; JMP opcode for the function jump
        sta     JMPER
        sec                             ; program text starts one byte above MEMBOT
        jsr     MEMBOT
        stx     TXTTAB
        sty     TXTTAB+1
        lda     #0
        tay
        sta     (TXTTAB),y              ; the zero that precedes the first line
        inc     TXTTAB
        bne     @bottom
        inc     TXTTAB+1
@bottom:
        sec
        jsr     MEMTOP
        stx     MEMSIZ
        sty     MEMSIZ+1
        jsr     new_program
        lda     #<text_banner
        ldy     #>text_banner
        jsr     print_string_ay
        lda     MEMSIZ                  ; bytes free = MEMSIZ - TXTTAB
        sec
        sbc     TXTTAB
        tax
        lda     MEMSIZ+1
        sbc     TXTTAB+1
        jsr     print_uint16
        lda     #<text_bytes_free
        ldy     #>text_bytes_free
        jsr     print_string_ay
        ; fall through: output and input back to the screen and keyboard

; basic_warm: entered through ($A002) after RUN/STOP-RESTORE or BRK.
basic_warm:
        jsr     CLRCHN
        lda     #0
        sta     CHANNL
        cli
        jmp     ready                   ; (which empties the temporaries)

.segment "BASIC_BC5E"

vector_defaults:
        .word   $E38B                   ; IERROR: print the error message
        .word   $A483                   ; IMAIN: main loop
        .word   $A57C                   ; ICRNCH: tokenise
        .word   $A71A                   ; IQPLOP: list a token
        .word   $A7E4                   ; IGONE: execute a statement
        .word   $AE86                   ; IEVAL: expression element
        .byte   0, 0, 0, 0              ; SYS's registers (zero from the reset)
        jmp     illegal_quantity        ; USRPOK/USRADD: USR without a routine
vector_defaults_end:
.assert vector_defaults_end - vector_defaults = USRADD + 2 - IERROR, error, "page 3 defaults"
.assert vector_defaults_end - vector_defaults <= chrget_image_end - chrget_image, error, "one loop copies both"

.segment "BASIC"

; The CHRGET routine, copied to $73: advance TXTPTR, skip blanks; returns the
; character with carry clear for a digit and Z set for ':' or end of line.
chrget_image:
        inc     TXTPTR
        bne     @read
        inc     TXTPTR+1
@read:  lda     $FFFF                   ; the operand is TXTPTR
        cmp     #':'
        bcs     @done
        cmp     #' '
        beq     chrget_image        ; relative: the copy's own start
        sec
        sbc     #'0'
        sec
        sbc     #$100 - '0'
@done:  rts
chrget_image_end:

text_bytes_free:
        .byte   " BASIC BYTES FREE", 13, 13, 0

.segment "BASIC_B9ED"

text_banner:
        .byte   147, 13, "    **** QUILLON 64 BASIC V2 ****", 13, 13
        .byte   " 64K RAM SYSTEM  ", 0
