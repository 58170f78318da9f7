; TI$: the jiffy clock as six digits "HHMMSS", and setting it from them.

.include "basic.inc"

.segment "BASIC_SPILL_F7"

CLOCK   = RESHO                 ; jiffies, low byte first (3 bytes)
DIGIT   = RESHO+3

; time_string: the value of TI$ as a temporary string.
time_string:
        jsr     RDTIM
        sta     CLOCK
        stx     CLOCK+1
        sty     CLOCK+2
        lda     #6
        jsr     alloc_string
        ldx     #0                      ; hours, minutes, seconds
        ldy     #0
@part:  lda     #0
        sta     DIGIT
@count: sec                             ; CLOCK -= jiffies per unit while it fits
        lda     CLOCK
        sbc     time_units,x
        pha
        lda     CLOCK+1
        sbc     time_units+1,x
        pha
        lda     CLOCK+2
        sbc     time_units+2,x
        bcc     @fits
        sta     CLOCK+2
        pla
        sta     CLOCK+1
        pla
        sta     CLOCK
        inc     DIGIT
        bne     @count
@fits:  pla
        pla
        lda     DIGIT                   ; two digits of it
        ldx     #'0'-1
        sec
@tens:  inx
        sbc     #10
        bcs     @tens
        adc     #'0'+10
        pha
        txa
        sta     (FRESPC),y
        iny
        pla
        sta     (FRESPC),y
        iny
        tya                             ; next unit: 3 table bytes per 2 digits
        lsr     a
        sta     DIGIT
        asl     a
        adc     DIGIT
        tax
        cpy     #6
        bcc     @part
        lda     #6
        jmp     push_new_string


; set_time_string: TI$ = "HHMMSS"; ?ILLEGAL QUANTITY unless six digits.
set_time_string:
        jsr     free_fac_string
        cmp     #6
        bne     @bad
        lda     INDEX                   ; (the arithmetic below uses INDEX)
        sta     STRNG2
        lda     INDEX+1
        sta     STRNG2+1
        jsr     fac_zero
        ldy     #0
@digit: sty     COUNT
        lda     (STRNG2),y
        cmp     #'0'
        bcc     @bad
        cmp     #'9'+1
        bcs     @bad
        pha
        lda     COUNT                   ; times 10 or times 6 before each digit
        and     #1
        beq     @six
        jsr     fac_mul10
        jmp     @add
@six:   lda     #<const_six
        ldy     #>const_six
        jsr     fmul_mem
@add:   jsr     fac_to_arg
        pla
        and     #$0F
        tay
        jsr     fac_from_byte
        jsr     fadd
        ldy     COUNT
        iny
        cpy     #6
        bcc     @digit
        lda     #<const_sixty
        ldy     #>const_sixty
        jsr     fmul_mem
        jsr     fac_to_int32
        lda     FACHO+3
        ldx     FACHO+2
        ldy     FACHO+1
        jmp     SETTIM
@bad:   jmp     illegal_quantity

.segment "BASIC_B1AD"

time_units:
        .byte   $C0, $4B, $03           ; 216000 jiffies: an hour
        .byte   $10, $0E, $00           ; 3600: a minute
        .byte   $3C, $00, $00           ; 60: a second

const_six:   .byte $83, $40, $00, $00, $00
const_sixty: .byte $86, $70, $00, $00, $00
