; The jiffy clock (sixtieths of a second since midnight, three bytes at $A0,
; most significant first) and the RUN/STOP key flag that it samples.

.include "zeropage.inc"
.include "system.inc"
.include "io.inc"
.include "kernal.inc"
.include "kernal_internal.inc"

JIFFIES_PER_DAY = 5184000       ; 24 * 60 * 60 * 60
STOP_ROW = $7F
STOP_PRESSED = $7F              ; the row's columns with only RUN/STOP down

.segment "KERNAL_F7"

; UDTIM: one jiffy on, back to 0 at 24 hours; then sample RUN/STOP.
; Clobbers A.
udtim:
        inc TIME + 2
        bne @wrap
        inc TIME + 1
        bne @wrap
        inc TIME
@wrap:  lda TIME + 2
        cmp #<JIFFIES_PER_DAY
        bne read_stop_key
        lda TIME + 1
        cmp #>JIFFIES_PER_DAY
        bne read_stop_key
        lda TIME
        cmp #^JIFFIES_PER_DAY
        bne read_stop_key
        lda #0
        sta TIME
        sta TIME + 1
        sta TIME + 2
        ; fall through

; STKEY = the RUN/STOP row of the matrix ($7F while only RUN/STOP is held).
; Clobbers A.
read_stop_key:
        lda #STOP_ROW
        sta CIA1_PRA
        lda CIA1_PRB
        sta STKEY
        rts

; SETTIM: clock = A (low), X (middle), Y (high).
settim:
        php
        sei
        sta TIME + 2
        stx TIME + 1
        sty TIME
        plp
        rts

; RDTIM: A (low), X (middle), Y (high) = clock, read in one piece.
rdtim:
        php
        sei
        lda TIME + 2
        ldx TIME + 1
        ldy TIME
        plp
        rts

.segment "KERNAL_F6ED"

; STOP: Z set when RUN/STOP is held; then the channels are reset and the
; keyboard buffer emptied, as a program that stops expects.
stop_body:
        lda STKEY
        cmp #STOP_PRESSED
        bne @done
        php
        jsr CLRCHN
        lda #0
        sta NDX
        plp
@done:  rts

.assert stop_body = $F6ED, error, "STOP must be at $F6ED"
