; Numeric functions without series: SGN INT ABS USR FRE POS PEEK. Each is
; entered with its argument evaluated in FAC and leaves its result there.

.include "basic.inc"

.segment "BASIC"

fn_sgn: jsr     fac_sign
        tay
        bpl     @small
        tya                             ; -1: $FFFF
        jmp     fac_from_int16
@small: lda     #0
        jmp     fac_from_int16

fn_int = fac_int
fn_abs = fac_abs

fn_usr: jmp     USRPOK

; FRE: free bytes between the arrays and the strings, after a collection,
; as a signed 16-bit number like the C64's.
fn_fre: bit     VALTYP
        bpl     @count
        jsr     free_fac_string
@count: jsr     garbage_collect
        sec
        lda     FRETOP
        sbc     STREND
        tay
        lda     FRETOP+1
        sbc     STREND+1
        ldx     #0
        stx     VALTYP
        jmp     fac_from_int16

; POS: the cursor column.
fn_pos: bit     VALTYP
        bpl     @column
        jsr     free_fac_string
@column:
        lda     #0
        sta     VALTYP
        sec
        jsr     PLOT
        jmp     fac_from_byte

fn_peek:
        jsr     fac_to_uint16
        ldy     #0
        lda     (LINNUM),y
        tay
        jmp     fac_from_byte
