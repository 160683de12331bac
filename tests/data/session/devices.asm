* Busy with every device: Port 1 shows a counter, the output compare interrupt toggles Port 2
* pin 1 every 7 ticks, the serial interface sends the counter and takes bytes in by interrupt;
* the IRQ and NMI handlers count.
       org $1000
start  lds #$00FF
       ldaa #$1A
       staa $11
       ldaa #$FF
       staa $00
       ldaa #$02
       staa $01
       ldd $09
       addd #7
       std $0B
       ldaa #$09
       staa $08
       cli
loop   inc $80
       ldaa $80
       staa $02
       ldab $11
       andb #$20
       beq loop
       staa $13
       bra loop
ocf    ldaa $08
       eora #$01
       staa $08
       ldd $0B
       addd #7
       std $0B
       inc $81
       rti
sci    ldaa $11
       ldab $12
       stab $82
       inc $83
       rti
irq    inc $84
       rti
nmi    inc $85
       rti
       org $fff0
       fdb sci
       org $fff4
       fdb ocf
       org $fff8
       fdb irq
       org $fffc
       fdb nmi
       fdb start
       end
