* No IRQ vector: an IRQ enters $0000.
       org $2000
start  cli
loop   nop
       bra loop
       org $fffe
       fdb start
       end
