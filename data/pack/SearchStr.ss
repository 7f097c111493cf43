Search
Stop
Checking IP: 
Checking IP: none
