; String functions: LEN STR$ VAL ASC CHR$ LEFT$ RIGHT$ MID$.

.include "basic.inc"

.segment "BASIC_B394"

STRDSC  = FACHO+2
SRCDSC  = DSCPNT                ; descriptor of the source string
START   = TEMPF2                ; first character taken
TAKE    = TEMPF2+1              ; number of characters taken

fn_len: jsr     free_fac_string
        jmp     byte_result

fn_asc: jsr     free_fac_string
        tax
        bne     @first
        jmp     illegal_quantity
@first: ldy     #0
        lda     (INDEX),y
byte_result:
        tay
        lda     #0
        sta     VALTYP
        jmp     fac_from_byte

fn_str: jsr     float_to_text
        jmp     string_from_text

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

; VAL: the number the string starts with (0 if none). The text is copied
; with a zero after it to string space, parsed there and given back.
fn_val: ldy     #0
        lda     (STRDSC),y
        clc
        adc     #1
        bcc     @room
        lda     #255                    ; (255 characters: the last one is dropped)
@room:  jsr     alloc_string
        ldy     #0
        lda     (STRDSC),y
        sta     TAKE
        iny
        lda     (STRDSC),y
        sta     INDEX
        iny
        lda     (STRDSC),y
        sta     INDEX+1
        jsr     pop_fac_temp
        ldy     TAKE
        cpy     SLEN
        bcc     @fits
        dey
@fits:  lda     #0
        sta     (FRESPC),y
        tya
        jsr     copy_string_to
        lda     TXTPTR
        pha
        lda     TXTPTR+1
        pha
        sec
        lda     FRESPC
        sbc     #1
        sta     TXTPTR
        lda     FRESPC+1
        sbc     #0
        sta     TXTPTR+1
        jsr     CHRGET
        jsr     float_parse
        pla
        sta     TXTPTR+1
        pla
        sta     TXTPTR
        clc                             ; give the copy back
        lda     FRETOP
        adc     SLEN
        sta     FRETOP
        bcc     @done
        inc     FRETOP+1
@done:  lda     #0
        sta     VALTYP
        rts

; LEFT$(s$, n), RIGHT$(s$, n), MID$(s$, m [, n])
fn_left:
        jsr     string_and_count
        jsr     chk_close
        lda     #0
        beq     substring
fn_right:
        jsr     string_and_count
        jsr     chk_close
        ldy     #0                      ; start = length - n, or 0
        lda     (SRCDSC),y
        sec
        sbc     TAKE
        bcs     substring
        lda     #0
        beq     substring
fn_mid: jsr     string_and_count
        lda     TAKE                    ; that was the start, from 1
        bne     @start
        jmp     illegal_quantity
@start: pha
        lda     #255
        sta     TAKE
        jsr     CHRGOT
        cmp     #','
        bne     @close
        lda     SRCDSC                  ; the count may use strings of its own
        pha
        lda     SRCDSC+1
        pha
        jsr     eval_byte_comma
        stx     TAKE
        pla
        sta     SRCDSC+1
        pla
        sta     SRCDSC
@close: jsr     chk_close
        pla
        sec
        sbc     #1
        jmp     substring

; string_and_count: parse "(string, byte" into SRCDSC and TAKE. Entered
; with the function token current.
string_and_count:
        jsr     CHRGET
        jsr     chk_open
        jsr     eval_string
        lda     STRDSC
        pha
        lda     STRDSC+1
        pha
        jsr     eval_byte_comma
        stx     TAKE
        pla
        sta     SRCDSC+1
        pla
        sta     SRCDSC
        rts

; substring: the temporary of TAKE characters of SRCDSC from A (0-based),
; cut to what the string holds.
substring:
        sta     START
        ldy     #0
        lda     (SRCDSC),y
        sec
        sbc     START
        bcs     @left
        lda     #0
@left:  cmp     TAKE
        bcs     @take
        sta     TAKE
@take:  lda     TAKE
        jsr     alloc_string            ; the source may move: read it after
        ldy     #1
        lda     (SRCDSC),y
        clc
        adc     START
        sta     INDEX
        iny
        lda     (SRCDSC),y
        adc     #0
        sta     INDEX+1
        lda     TAKE
        jsr     copy_string_to
        lda     SRCDSC
        ldy     SRCDSC+1
        jsr     pop_temp
        lda     TAKE
        jmp     push_new_string
