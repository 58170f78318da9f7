; Numeric functions without series: INT ABS USR FRE POS PEEK (SGN sits with
; the comparisons, whose result it shares). Each is entered with its
; argument evaluated in FAC and leaves its result there.

.include "basic.inc"

.segment "BASIC_A691"

fn_int = fac_int
fn_abs = fac_abs
fn_usr = USRPOK                         ; the dispatch lands on the JMP there

; FRE: free bytes between the arrays and the strings, after a collection,
; as a signed 16-bit number like the C64's.
fn_fre: jsr     drop_argument
        jsr     garbage_collect
        sec
        lda     FRETOP
        sbc     STREND
        tay
        lda     FRETOP+1
        sbc     STREND+1
        jmp     fac_from_int16

.segment "BASIC"

; POS: the cursor column.
fn_pos: jsr     drop_argument
        sec
        jsr     PLOT
        jmp     fac_from_byte

; drop_argument: FRE and POS ignore their argument, of either type; the
; result will be a number.
drop_argument:
        bit     VALTYP
        bpl     @number
        jsr     free_fac_string
@number:
        lda     #0
        sta     VALTYP
        rts

.segment "BASIC_B1AD"

fn_peek:
        jsr     fac_to_uint16
        ldy     #0
        lda     (LINNUM),y
        tay
        jmp     fac_from_byte
