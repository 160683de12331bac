       org $2000
start  ldaa #'è'
       org $fffe
       fdb start
       end
