* Copies Port 1 pin 3 to memory and sets Port 2 pin 1 as an output.
       org $2000
start  clr $00          ; Port 1 all inputs
loop   ldaa $02
       anda #$08
       staa $1000
       bra loop
       org $fffe
       fdb start
       end
