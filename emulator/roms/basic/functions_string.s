; String functions: LEN STR$ VAL ASC CHR$ LEFT$ RIGHT$ MID$.

.include "basic.inc"

.segment "BASIC_BDE0"

STRDSC  = FACHO+2
SRCDSC  = DSCPNT                ; descriptor of the source string
START   = TEMPF2                ; first character taken
TAKE    = TEMPF2+1              ; number of characters taken

.import copy_push

fn_asc: jsr     free_fac_string
        tax
        beq     not_quantity
        lda     (INDEX),y               ; (Y = 0)
        jmp     byte_result
fn_len: jsr     free_fac_string
byte_result:
        tay
        lda     #0
        sta     VALTYP
        jmp     fac_from_byte

; STR$: the number's text as a temporary string.
fn_str: jsr     float_to_text
        sta     INDEX                   ; (the collector keeps INDEX)
        sty     INDEX+1
        ldy     #$FF
@len:   iny
        lda     (INDEX),y
        bne     @len
        tya
        jsr     alloc_string
        jmp     copy_push

not_quantity:
        jmp     illegal_quantity

fn_chr: jsr     fac_to_byte
        txa
        pha
        lda     #1
        jsr     alloc_string
        pla
        ldy     #0
        sta     (FRESPC),y
        lda     #1
        jmp     push_new_string

; VAL: the number the string starts with (0 if none). CHRGET reads the
; string itself, with a zero put after it for the time being. After the
; topmost string that zero goes to RAM under the ROM at $A000, so the ROM
; byte read there (the cold start vector's low byte) must end a number.
.assert .lobyte(basic_cold) >= $80, lderror, "VAL needs $A000 to end a number"
fn_val: jsr     pop_fac_temp            ; A = length, INDEX = address, Y = 0
        beq     byte_result             ; VAL("") = 0
        tay
        lda     (INDEX),y               ; the byte after the string, and where
        pha
        tya
        pha
        lda     #0
        sta     (INDEX),y
        ldx     #1                      ; TXTPTR = the string; both kept
@swap:  lda     TXTPTR,x
        pha
        lda     INDEX,x
        pha
        sta     TXTPTR,x
        dex
        bpl     @swap
        jsr     CHRGOT
        jsr     float_parse
        pla
        sta     INDEX
        pla
        sta     TXTPTR
        pla
        sta     INDEX+1
        pla
        sta     TXTPTR+1
        pla
        tay
        pla
        sta     (INDEX),y
        lda     #0
        sta     VALTYP
        rts

; LEFT$(s$, n), RIGHT$(s$, n), MID$(s$, m [, n])
fn_mid: jsr     string_and_count
        lda     TAKE                    ; that was the start, from 1
        beq     not_quantity
        pha
        lda     #255
        sta     TAKE
        jsr     CHRGOT
        cmp     #','
        bne     @close
        lda     SRCDSC
        ldy     SRCDSC+1
        jsr     count_after
@close: pla
        sec
        sbc     #1
        bcs     substring               ; (always)
fn_right:
        jsr     string_and_count
        ldy     #0                      ; start = length - n, or 0
        lda     (SRCDSC),y
        sec
        sbc     TAKE
        bcs     substring
        bcc     from_start
fn_left:
        jsr     string_and_count
from_start:
        lda     #0
; substring: after the closing parenthesis, the temporary of TAKE
; characters of SRCDSC from A (0-based), cut to what the string holds.
substring:
        sta     START
        jsr     chk_close
        ldy     #0
        lda     (SRCDSC),y
        sec
        sbc     START
        bcs     @left
        lda     #0
@left:  cmp     TAKE                    ; (SLEN keeps the length taken)
        bcc     @take
        lda     TAKE
@take:  jsr     alloc_string            ; the source may move: read it after
        lda     SRCDSC
        ldy     SRCDSC+1
        jsr     pop_temp
        lda     INDEX
        clc
        adc     START
        sta     INDEX
        bcc     @copy
        inc     INDEX+1
@copy:  jmp     copy_push

.segment "BASIC"

; string_and_count: parse "(string, byte" into SRCDSC and TAKE. Entered
; with the function token current.
string_and_count:
        jsr     CHRGET
        jsr     chk_open
        jsr     eval_string
        lda     STRDSC
        ldy     STRDSC+1
; count_after: SRCDSC = A/Y and TAKE = the byte after a comma (which may
; use strings of its own).
count_after:
        pha
        tya
        pha
        jsr     eval_byte_comma
        stx     TAKE
        pla
        sta     SRCDSC+1
        pla
        sta     SRCDSC
        rts
