; TI$: the jiffy clock as six digits "HHMMSS", and setting it from them.
; Both work digit by digit with the jiffies each digit stands for.

.include "basic.inc"

.segment "BASIC_B3A5"

CLOCK   = RESHO                 ; jiffies, low byte first (3 bytes)
DIGIT   = RESHO+3

; time_string: the value of TI$ as a temporary string.
time_string:
        lda     #6
        jsr     alloc_string
        jsr     RDTIM
        sta     CLOCK
        stx     CLOCK+1
        sty     CLOCK+2
        ldx     #0                      ; time_units offset
        ldy     #0                      ; digit position
@digit: lda     #'0'
        sta     DIGIT
@count: sec                             ; CLOCK -= the digit's jiffies while it fits
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
        lda     DIGIT
        sta     (FRESPC),y
        inx
        inx
        inx
        iny
        cpy     #6
        bcc     @digit
        lda     #6
        jmp     push_new_string

; set_time_string: TI$ = "HHMMSS"; ?ILLEGAL QUANTITY unless six digits.
; (Like the count above, the sum keeps only 24 bits.)
set_time_string:
        jsr     free_fac_string         ; INDEX = the text
        cmp     #6
        bne     @bad
        lda     #0
        sta     CLOCK
        sta     CLOCK+1
        sta     CLOCK+2
        tax
        tay
@digit: lda     (INDEX),y
        sec
        sbc     #'0'
        cmp     #10
        bcs     @bad
        sta     DIGIT
@add:   dec     DIGIT                   ; CLOCK += the digit's jiffies, digit times
        bmi     @next
        clc
        lda     CLOCK
        adc     time_units,x
        sta     CLOCK
        lda     CLOCK+1
        adc     time_units+1,x
        sta     CLOCK+1
        lda     CLOCK+2
        adc     time_units+2,x
        sta     CLOCK+2
        jmp     @add
@next:  inx
        inx
        inx
        iny
        cpy     #6
        bcc     @digit
        lda     CLOCK
        ldx     CLOCK+1
        ldy     CLOCK+2
        jmp     SETTIM
@bad:   jmp     illegal_quantity

.segment "BASIC"

; the jiffies of one unit of each digit of "HHMMSS"
time_units:
        .byte   $80, $F5, $20           ; 2160000: ten hours
        .byte   $C0, $4B, $03           ; 216000: an hour
        .byte   $A0, $8C, $00           ; 36000: ten minutes
        .byte   $10, $0E, $00           ; 3600: a minute
        .byte   $58, $02, $00           ; 600: ten seconds
        .byte   $3C, $00, $00           ; 60: a second
