/* Interrupt entry stubs and the common path that builds a CPUState frame and
   calls InterruptManager::HandleInterrupt(vector, esp). */

.set IRQ_BASE, 0x20

.section .text

.extern _ZN6korvan21hardwarecommunication16InterruptManager15HandleInterruptEhj

/* Exceptions for which the processor pushes an error code. */
.macro HandleExceptionWithCode num
.global HandleException\num
HandleException\num:
    movb $\num, (interruptnumber)
    jmp int_bottom
.endm

/* The rest push a zero in its place, so that every frame is a CPUState and a
   handler registered for the exception later sees the right layout. */
.macro HandleExceptionWithoutCode num
.global HandleException\num
HandleException\num:
    movb $\num, (interruptnumber)
    pushl $0
    jmp int_bottom
.endm

.macro HandleInterruptRequest num
.global HandleInterruptRequest\num
HandleInterruptRequest\num:
    movb $\num + IRQ_BASE, (interruptnumber)
    pushl $0
    jmp int_bottom
.endm

HandleExceptionWithoutCode 0x00
HandleExceptionWithoutCode 0x01
HandleExceptionWithoutCode 0x02
HandleExceptionWithoutCode 0x03
HandleExceptionWithoutCode 0x04
HandleExceptionWithoutCode 0x05
HandleExceptionWithoutCode 0x06
HandleExceptionWithoutCode 0x07
HandleExceptionWithCode    0x08
HandleExceptionWithoutCode 0x09
HandleExceptionWithCode    0x0A
HandleExceptionWithCode    0x0B
HandleExceptionWithCode    0x0C
HandleExceptionWithCode    0x0D
HandleExceptionWithCode    0x0E
HandleExceptionWithoutCode 0x0F
HandleExceptionWithoutCode 0x10
HandleExceptionWithCode    0x11
HandleExceptionWithoutCode 0x12
HandleExceptionWithoutCode 0x13

HandleInterruptRequest 0x00
HandleInterruptRequest 0x01
HandleInterruptRequest 0x02
HandleInterruptRequest 0x03
HandleInterruptRequest 0x04
HandleInterruptRequest 0x05
HandleInterruptRequest 0x06
HandleInterruptRequest 0x07
HandleInterruptRequest 0x08
HandleInterruptRequest 0x09
HandleInterruptRequest 0x0A
HandleInterruptRequest 0x0B
HandleInterruptRequest 0x0C
HandleInterruptRequest 0x0D
HandleInterruptRequest 0x0E
HandleInterruptRequest 0x0F
HandleInterruptRequest 0x31
HandleInterruptRequest 0x80

int_bottom:
    pushl %ebp
    pushl %edi
    pushl %esi
    pushl %edx
    pushl %ecx
    pushl %ebx
    pushl %eax

    pushl %esp
    movzbl (interruptnumber), %eax
    pushl %eax
    call _ZN6korvan21hardwarecommunication16InterruptManager15HandleInterruptEhj
    mov %eax, %esp             /* a handler may hand back another frame */

    popl %eax
    popl %ebx
    popl %ecx
    popl %edx
    popl %esi
    popl %edi
    popl %ebp
    add $4, %esp               /* the error word */

.global IgnoreInterruptRequest
IgnoreInterruptRequest:
    iret

.section .data
.global interruptnumber
interruptnumber: .byte 0

.section .note.GNU-stack, "", @progbits
