* CPU-bound measurement program: a 16-bit arithmetic loop and a block copy, forever.
       org $0080
sum    rmb 2
cnt    rmb 1
       org $fffe
       fdb start
       org $2000
start  lds #$00ff
again  ldx #0
       clr sum
       clr sum+1
       ldaa #200
       staa cnt
arith  ldd sum
       addd #$0123
       std sum
       ldab cnt
       decb
       stab cnt
       bne arith
       ldx #$4000
copy   ldaa 0,x
       staa $80,x
       inx
       cpx #$4080
       bne copy
       bra again
       end
