* Counts in a loop; line 6 is the loop body.
       org $2000
start  lds #$00FF
       ldx #0
       cli
loop   inx
       stx $1000
       bra loop
irq    ldaa #$AA
       staa $1002
       rti
       org $fff8
       fdb irq
       org $fffe
       fdb start
       end
