* A square wave on P10: the pin changes every 3 + N steps (N = the NOPs in the loop).
       org $1000
start  ldaa #$01
       staa $00        ; P10 is an output
       clrb
loop   eorb #$01
       stab $02        ; P10 follows bit 0 of B
       nop
       nop
       bra loop
       org $fffe
       fdb start
       end
