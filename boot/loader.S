/* The way in from the multiboot loader: the header it looks for, a stack, the
   global constructors, then kernelMain. */

.set MBALIGN,  1 << 0          /* align modules on pages */
.set MEMINFO,  1 << 1          /* memory information wanted */
.set VIDMOD,   1 << 2          /* video mode wanted */
.set FLAGS,    MBALIGN | MEMINFO | VIDMOD
.set MAGIC,    0x1BADB002
.set CHECKSUM, -(MAGIC + FLAGS)

.section .multiboot, "a"
.align 4
.long MAGIC
.long FLAGS
.long CHECKSUM
.long 0, 0, 0, 0, 0            /* address fields: unused, the ELF headers say where */
.long 0                        /* mode_type: linear graphics */
.long 800                      /* width */
.long 600                      /* height */
.long 16                       /* depth */

.section .text
.global loader
.type loader, @function
loader:
    mov $kernel_stack, %esp
    mov %eax, %esi             /* the loader's magic and record survive the */
    mov %ebx, %edi             /* constructors in callee-saved registers */
    fninit                     /* the x87 unit starts in a known state */
    call callConstructors
    push %esi
    push %edi
    call kernelMain

.global _stop
_stop:
    cli
    hlt
    jmp _stop

.section .bss
.align 16
.space 2 * 1024 * 1024
.global kernel_stack
kernel_stack:

.section .note.GNU-stack, "", @progbits
